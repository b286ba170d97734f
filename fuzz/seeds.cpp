// fuzz-seeds DATADIR OUTDIR: the seed corpus of every fuzz target, made from the baked data in
// DATADIR (gfx/, scenes/, music/) into OUTDIR/<target>/.
#include "datafile.h"
#include "scenefile.h"

#include <jpeglib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Pictures and music slices larger than this make slow inputs; the small ones cover the formats.
constexpr size_t LargestPictureSeed = 16 << 10;
constexpr size_t MusicSliceSize = 16 << 10;
// The byte that makes the track target use the show's most common frame scale (6).
constexpr unsigned char SceneScaleChoice = 4;

bool Write(const fs::path& path, const std::vector<unsigned char>& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    const bool written = file && (bytes.empty() || fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    if (file && fclose(file) != 0) return false;
    if (!written) fprintf(stderr, "fuzz-seeds: cannot write %s\n", path.c_str());
    return written;
}

bool Read(const fs::path& path, std::vector<unsigned char>& bytes) {
    std::string problem;
    if (ReadDataFile(path.c_str(), bytes, problem)) return true;
    fprintf(stderr, "fuzz-seeds: cannot read %s: %s\n", path.c_str(), problem.c_str());
    return false;
}

// The picture again as a progressive file, a layout the baked data does not use.
std::vector<unsigned char> Progressive(const std::vector<unsigned char>& baseline) {
    jpeg_decompress_struct in;
    jpeg_compress_struct out;
    jpeg_error_mgr inErrors, outErrors;
    in.err = jpeg_std_error(&inErrors);
    out.err = jpeg_std_error(&outErrors);
    jpeg_create_decompress(&in);
    jpeg_create_compress(&out);
    jpeg_mem_src(&in, baseline.data(), baseline.size());
    jpeg_read_header(&in, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&in);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&out, &buffer, &size);
    jpeg_copy_critical_parameters(&in, &out);
    jpeg_simple_progression(&out);
    jpeg_write_coefficients(&out, coefficients);
    jpeg_finish_compress(&out);
    jpeg_finish_decompress(&in);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&out);
    jpeg_destroy_decompress(&in);
    free(buffer);
    return bytes;
}

// Arguments as the option target takes them: separated by zero bytes.
std::vector<unsigned char> CommandLine(const std::vector<std::string>& arguments) {
    std::vector<unsigned char> bytes;
    for (const std::string& argument : arguments) {
        if (!bytes.empty()) bytes.push_back(0);
        bytes.insert(bytes.end(), argument.begin(), argument.end());
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fputs("usage: fuzz-seeds DATADIR OUTDIR\n", stderr);
        return 2;
    }
    const fs::path data = argv[1], out = argv[2];
    std::error_code error;
    for (const char* target : {"scene", "track", "jpeg", "mp3", "captureoptions"}) {
        fs::create_directories(out / target, error);
        if (error) {
            fprintf(stderr, "fuzz-seeds: cannot make %s: %s\n", (out / target).c_str(), error.message().c_str());
            return 1;
        }
    }
    bool ok = true;
    std::vector<unsigned char> bytes;

    for (const auto& entry : fs::directory_iterator(data / "scenes", error)) {
        if (!Read(entry.path(), bytes)) return 1;
        ok &= Write(out / "scene" / entry.path().filename(), bytes);
        // The track list runs from the first track's tag to the end of the file.
        SceneFile file;
        ParseSceneFile(bytes.data(), bytes.size(), 1.0f, 0, file);
        if (file.HasFatalProblem() || file.tracks.empty()) continue;
        std::vector<unsigned char> tracks{SceneScaleChoice};
        tracks.insert(tracks.end(), bytes.begin() + static_cast<long>(file.tracks.front().offset), bytes.end());
        ok &= Write(out / "track" / entry.path().filename(), tracks);
    }

    bool madeProgressive = false;
    for (const auto& entry : fs::directory_iterator(data / "gfx", error)) {
        if (fs::file_size(entry.path(), error) > LargestPictureSeed) continue;
        if (!Read(entry.path(), bytes)) return 1;
        ok &= Write(out / "jpeg" / entry.path().filename(), bytes);
        if (!madeProgressive) {
            ok &= Write(out / "jpeg" / ("progressive-" + entry.path().filename().string()), Progressive(bytes));
            madeProgressive = true;
        }
    }

    // The start, a third and two thirds in: frames with and without the info tag.
    if (!Read(data / "music" / "clone.mp3", bytes)) return 1;
    for (const size_t third : {0, 1, 2}) {
        const size_t start = bytes.size() / 3 * third;
        const size_t end = std::min(bytes.size(), start + MusicSliceSize);
        ok &= Write(out / "mp3" / ("clone-" + std::to_string(third) + ".mp3"),
                    std::vector<unsigned char>(bytes.begin() + static_cast<long>(start), bytes.begin() + static_cast<long>(end)));
    }

    const std::vector<std::vector<std::string>> commandLines = {
        {"--video", "show.mp4"},
        {"--at-seconds", "70", "--size", "1280x720"},
        {"--at", "6100000,20000000", "--frames", "stills"},
        {"--trace", "frame.jsonl", "--trace-frames", "600", "--until", "1800000"},
        {"--size", "160x120", "--stats"},
        {"--size=320x240", "--bits=32", "--fps=60000/1001", "--device", "Software", "--no-dither",
         "--no-perspective", "--no-filtering", "--trace-frames", "-202--1,10-20,30-"},
    };
    int index = 0;
    for (const auto& arguments : commandLines)
        ok &= Write(out / "captureoptions" / ("readme-" + std::to_string(index++)), CommandLine(arguments));

    if (error) {
        fprintf(stderr, "fuzz-seeds: cannot list %s: %s\n", data.c_str(), error.message().c_str());
        return 1;
    }
    return ok ? 0 : 1;
}
