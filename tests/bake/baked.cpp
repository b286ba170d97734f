#include "baked.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <setjmp.h>

#include <memory>

#include "workfolder.h"

std::string BakeInto(const std::string& name) {
    // The bakes stay until the test program ends.
    static std::vector<std::unique_ptr<TemporaryFolder>> bakes;
    bakes.push_back(std::make_unique<TemporaryFolder>());
    const std::string folder = bakes.back()->File(name);
    const std::string command = std::string("\"") + BAKE_PROGRAM + "\" --quiet \"" + folder + "\"";
    if (std::system(command.c_str()) != 0) return "";
    return folder;
}

const std::string& BakedFolder() {
#ifdef BAKED_DATA_FOLDER
    static const std::string folder = BAKED_DATA_FOLDER;
#else
    static const std::string folder = BakeInto("show");
#endif
    return folder;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    return bytes;
}

namespace {
struct Failure {
    jpeg_error_mgr manager;
    jmp_buf jump;
};
void Fail(j_common_ptr info) { longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1); }
void Quiet(j_common_ptr, int) {}
}  // namespace

DecodedJpeg DecodeJpeg(const std::vector<uint8_t>& bytes) {
    DecodedJpeg result;
    if (bytes.empty()) return result;
    jpeg_decompress_struct info;
    Failure failure;
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = Fail;
    failure.manager.emit_message = Quiet;
    jpeg_create_decompress(&info);
    if (setjmp(failure.jump)) {
        jpeg_destroy_decompress(&info);
        return DecodedJpeg();
    }
    jpeg_mem_src(&info, bytes.data(), (unsigned long)bytes.size());
    jpeg_read_header(&info, TRUE);
    result.progressive = jpeg_has_multiple_scans(&info);
    jpeg_start_decompress(&info);
    result.width = int(info.output_width);
    result.height = int(info.output_height);
    result.components = info.output_components;
    result.rgb.resize(size_t(result.width) * result.height * size_t(result.components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &result.rgb[size_t(info.output_scanline) * result.width * result.components];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    result.ok = true;
    return result;
}
