#include "jpegwriter.h"

#include <cstdio>
#include <vector>

#include <jpeglib.h>

bool WriteJpeg(const std::string& path, int width, int height, const std::function<uint32_t(int, int)>& colour,
               JpegLayout layout, int quality) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct encoder;
    jpeg_error_mgr errors;
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    jpeg_stdio_dest(&encoder, file);
    encoder.image_width = static_cast<JDIMENSION>(width);
    encoder.image_height = static_cast<JDIMENSION>(height);
    const bool grayscale = layout == JpegLayout::Grayscale, cmyk = layout == JpegLayout::Cmyk;
    encoder.input_components = grayscale ? 1 : cmyk ? 4 : 3;
    encoder.in_color_space = grayscale ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, quality, TRUE);
    if (layout == JpegLayout::Progressive) jpeg_simple_progression(&encoder);
    // Full-resolution chroma keeps small test pictures close to their colours.
    for (int c = 0; c < encoder.num_components; ++c) {
        encoder.comp_info[c].h_samp_factor = 1;
        encoder.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&encoder, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * encoder.input_components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            if (grayscale) {
                row[x] = static_cast<JSAMPLE>((c >> 8) & 0xFF);
            } else if (cmyk) {
                row[4 * x] = static_cast<JSAMPLE>(255 - ((c >> 16) & 0xFF));
                row[4 * x + 1] = static_cast<JSAMPLE>(255 - ((c >> 8) & 0xFF));
                row[4 * x + 2] = static_cast<JSAMPLE>(255 - (c & 0xFF));
                row[4 * x + 3] = 0;
            } else {
                row[3 * x] = static_cast<JSAMPLE>((c >> 16) & 0xFF);
                row[3 * x + 1] = static_cast<JSAMPLE>((c >> 8) & 0xFF);
                row[3 * x + 2] = static_cast<JSAMPLE>(c & 0xFF);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&encoder, rows, 1);
    }
    jpeg_finish_compress(&encoder);
    jpeg_destroy_compress(&encoder);
    return fclose(file) == 0;
}
