#include "pngfile.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

struct PngFailure {
    std::string message;
};

void OnPngError(png_structp png, png_const_charp message) {
    static_cast<PngFailure*>(png_get_error_ptr(png))->message = message;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// libpng unwinds with longjmp, so everything that needs cleaning lives outside this function.
bool Encode(FILE* file, const std::vector<uint8_t>& rgb, unsigned width, unsigned height, PngFailure& failure) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, OnPngError, OnPngWarning);
    if (png == nullptr) {
        failure.message = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        if (failure.message.empty()) failure.message = "out of memory";
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // Fast settings: captures write many frames; the files stay lossless either way.
    png_set_compression_level(png, 3);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    for (unsigned y = 0; y < height; ++y) png_write_row(png, rgb.data() + size_t(y) * width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgb, unsigned width, unsigned height,
              std::string& error) {
    if (width == 0 || height == 0 || rgb.size() < size_t(width) * height * 3) {
        error = path + ": no picture to write";
        return false;
    }
    // Written under a temporary name and renamed when complete, so a failed write never leaves a
    // broken picture under the real name (or replaces a good one).
    const std::string partial = path + ".part";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    PngFailure failure;
    bool written = Encode(file, rgb, width, height, failure);
    if (!written) error = path + ": " + failure.message;
    const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
    const int flushError = errno;
    if (std::fclose(file) != 0 || !flushed) {
        if (written) error = path + ": " + std::strerror(flushError ? flushError : EIO);
        written = false;
    }
    if (written && std::rename(partial.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        written = false;
    }
    if (!written) std::remove(partial.c_str());
    return written;
}
