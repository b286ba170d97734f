#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <jpeglib.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "output.h"
#include "random.h"

namespace bake {

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Rgb Hsv(float hue, float saturation, float value) {
    float h = (hue - std::floor(hue)) * 6.0f;
    int sector = int(h) % 6;
    float f = h - std::floor(h);
    float p = value * (1 - saturation), q = value * (1 - saturation * f), t = value * (1 - saturation * (1 - f));
    switch (sector) {
    case 0: return {value, t, p};
    case 1: return {q, value, p};
    case 2: return {p, value, t};
    case 3: return {p, q, value};
    case 4: return {t, p, value};
    default: return {value, p, q};
    }
}

float SmoothStep(float edge0, float edge1, float x) {
    float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

Canvas::Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h)) {}

void Canvas::Shade(const std::function<Rgb(float, float)>& shader) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) At(x, y) = shader((x + 0.5f) / width, (y + 0.5f) / height);
}

void Canvas::Add(const std::function<Rgb(float, float)>& shader) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) At(x, y) = At(x, y) + shader((x + 0.5f) / width, (y + 0.5f) / height);
}

void Canvas::AddGlow(float u, float v, float radius, Rgb colour, float sharpness) {
    int x0 = std::max(0, int((u - radius) * width) - 1), x1 = std::min(width - 1, int((u + radius) * width) + 1);
    int y0 = std::max(0, int((v - radius) * height) - 1), y1 = std::min(height - 1, int((v + radius) * height) + 1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float du = (x + 0.5f) / width - u, dv = (y + 0.5f) / height - v;
            float d = std::sqrt(du * du + dv * dv) / radius;
            if (d < 1) At(x, y) = At(x, y) + std::pow(1 - d, sharpness) * colour;
        }
}

void Canvas::AddLine(float u0, float v0, float u1, float v1, float thickness, Rgb colour) {
    float pad = thickness + 2.0f / width;
    int x0 = std::max(0, int((std::min(u0, u1) - pad) * width)), x1 = std::min(width - 1, int((std::max(u0, u1) + pad) * width));
    int y0 = std::max(0, int((std::min(v0, v1) - pad) * height)), y1 = std::min(height - 1, int((std::max(v0, v1) + pad) * height));
    float du = u1 - u0, dv = v1 - v0, length2 = du * du + dv * dv;
    float half = thickness * 0.5f, soft = 1.0f / width;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float pu = (x + 0.5f) / width - u0, pv = (y + 0.5f) / height - v0;
            float t = length2 > 0 ? std::clamp((pu * du + pv * dv) / length2, 0.0f, 1.0f) : 0.0f;
            float eu = pu - t * du, ev = pv - t * dv;
            float d = std::sqrt(eu * eu + ev * ev);
            float cover = std::clamp((half + soft - d) / (2 * soft), 0.0f, 1.0f);
            if (cover > 0) At(x, y) = At(x, y) + cover * colour;
        }
}

void Canvas::Stamp(const Mask& mask, float u, float v, float h, Rgb colour, Rgb glow, float glowRadius) {
    if (mask.width == 0 || mask.height == 0) return;
    int targetHeight = std::max(1, int(std::lround(h * height)));
    int targetWidth = std::max(1, int(std::lround(float(mask.width) * targetHeight / mask.height)));
    Mask sized = Resample(mask, targetWidth, targetHeight);
    int margin = glowRadius > 0 ? int(glowRadius * width) * 2 + 2 : 0;
    Mask halo(targetWidth + 2 * margin, targetHeight + 2 * margin);
    for (int y = 0; y < targetHeight; ++y)
        for (int x = 0; x < targetWidth; ++x) halo.alpha[size_t(y + margin) * halo.width + x + margin] = sized.At(x, y);
    Mask blurred = halo;
    if (margin > 0) BoxBlur(blurred, std::max(1, int(glowRadius * width)), 3);
    int left = int(std::lround(u * width)) - halo.width / 2, top = int(std::lround(v * height)) - halo.height / 2;
    for (int y = 0; y < halo.height; ++y)
        for (int x = 0; x < halo.width; ++x) {
            int px = left + x, py = top + y;
            if (px < 0 || py < 0 || px >= width || py >= height) continue;
            float a = halo.At(x, y), g = margin > 0 ? blurred.At(x, y) : 0.0f;
            At(px, py) = At(px, py) + a * colour + g * glow;
        }
}

void Canvas::Vignette(float inner, float outer) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float du = (x + 0.5f) / width - 0.5f, dv = (y + 0.5f) / height - 0.5f;
            float edge = std::max(std::fabs(du), std::fabs(dv)) * 2;
            At(x, y) = (1 - SmoothStep(inner, outer, edge)) * At(x, y);
        }
}

void Canvas::Scanlines(int period, float depth) {
    for (int y = 0; y < height; ++y)
        if (y % period == period - 1)
            for (int x = 0; x < width; ++x) At(x, y) = (1 - depth) * At(x, y);
}

namespace {
uint8_t ToByte(float value) {
    // A gentle shoulder instead of a hard clip keeps additive highlights from banding.
    float v = value < 0.8f ? value : 0.8f + 0.2f * (1 - std::exp(-(value - 0.8f) * 5));
    return uint8_t(std::clamp(int(std::lround(v * 255.0f)), 0, 255));
}

struct JpegDestination {
    jpeg_destination_mgr manager;
    std::vector<uint8_t>* bytes;
    std::vector<uint8_t> buffer;
};

void InitDestination(j_compress_ptr info) {
    auto* dest = reinterpret_cast<JpegDestination*>(info->dest);
    dest->buffer.resize(65536);
    dest->manager.next_output_byte = dest->buffer.data();
    dest->manager.free_in_buffer = dest->buffer.size();
}

boolean EmptyBuffer(j_compress_ptr info) {
    auto* dest = reinterpret_cast<JpegDestination*>(info->dest);
    dest->bytes->insert(dest->bytes->end(), dest->buffer.begin(), dest->buffer.end());
    dest->manager.next_output_byte = dest->buffer.data();
    dest->manager.free_in_buffer = dest->buffer.size();
    return TRUE;
}

void TermDestination(j_compress_ptr info) {
    auto* dest = reinterpret_cast<JpegDestination*>(info->dest);
    size_t used = dest->buffer.size() - dest->manager.free_in_buffer;
    dest->bytes->insert(dest->bytes->end(), dest->buffer.begin(), dest->buffer.begin() + long(used));
}

[[noreturn]] void JpegFailure(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    throw BakeError(std::string("JPEG encoding failed: ") + message);
}
}  // namespace

std::vector<uint8_t> Canvas::EncodeJpeg(int quality) const {
    std::vector<uint8_t> bytes;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    errors.error_exit = JpegFailure;
    jpeg_create_compress(&info);
    JpegDestination dest;
    dest.bytes = &bytes;
    dest.manager.init_destination = InitDestination;
    dest.manager.empty_output_buffer = EmptyBuffer;
    dest.manager.term_destination = TermDestination;
    info.dest = &dest.manager;
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    try {
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, quality, TRUE);
        info.optimize_coding = TRUE;
        info.dct_method = JDCT_ISLOW;  // the exact integer transform: same bytes everywhere
        // Full-resolution colour keeps thin coloured letters crisp.
        for (int c = 0; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
        jpeg_start_compress(&info, TRUE);
        std::vector<uint8_t> row(size_t(width) * 3);
        while (info.next_scanline < info.image_height) {
            int y = int(info.next_scanline);
            for (int x = 0; x < width; ++x) {
                const Rgb& p = At(x, y);
                row[size_t(x) * 3] = ToByte(p.r);
                row[size_t(x) * 3 + 1] = ToByte(p.g);
                row[size_t(x) * 3 + 2] = ToByte(p.b);
            }
            JSAMPROW rows[1] = {row.data()};
            jpeg_write_scanlines(&info, rows, 1);
        }
        jpeg_finish_compress(&info);
    } catch (...) {
        jpeg_destroy_compress(&info);
        throw;
    }
    jpeg_destroy_compress(&info);
    return bytes;
}

void BoxBlur(Mask& mask, int radius, int passes) {
    std::vector<float> line;
    for (int pass = 0; pass < passes; ++pass) {
        for (int axis = 0; axis < 2; ++axis) {
            int count = axis == 0 ? mask.width : mask.height, lines = axis == 0 ? mask.height : mask.width;
            line.assign(size_t(count), 0.0f);
            for (int l = 0; l < lines; ++l) {
                auto at = [&](int i) -> float& {
                    return axis == 0 ? mask.alpha[size_t(l) * mask.width + i] : mask.alpha[size_t(i) * mask.width + l];
                };
                float sum = 0;
                for (int i = -radius; i <= radius; ++i) sum += (i >= 0 && i < count) ? at(i) : 0.0f;
                for (int i = 0; i < count; ++i) {
                    line[size_t(i)] = sum / float(2 * radius + 1);
                    int out = i - radius, in = i + radius + 1;
                    if (out >= 0) sum -= at(out);
                    if (in < count) sum += at(in);
                }
                for (int i = 0; i < count; ++i) at(i) = line[size_t(i)];
            }
        }
    }
}

Mask Resample(const Mask& mask, int width, int height) {
    // Area-weighted box filter: text shrinks without losing strokes.
    Mask out(width, height);
    float sx = float(mask.width) / width, sy = float(mask.height) / height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float fx0 = x * sx, fx1 = (x + 1) * sx, fy0 = y * sy, fy1 = (y + 1) * sy;
            float sum = 0, area = 0;
            for (int iy = int(fy0); iy < int(std::ceil(fy1)); ++iy)
                for (int ix = int(fx0); ix < int(std::ceil(fx1)); ++ix) {
                    float wx = std::min(fx1, float(ix + 1)) - std::max(fx0, float(ix));
                    float wy = std::min(fy1, float(iy + 1)) - std::max(fy0, float(iy));
                    if (wx <= 0 || wy <= 0) continue;
                    sum += wx * wy * mask.At(ix, iy);
                    area += wx * wy;
                }
            out.alpha[size_t(y) * width + x] = area > 0 ? sum / area : 0.0f;
        }
    return out;
}

std::string FontPath(const std::string& fileName) { return "/usr/share/fonts/truetype/dejavu/" + fileName; }

Font::Font(const std::string& file) {
    FT_Library lib;
    if (FT_Init_FreeType(&lib) != 0) throw BakeError("cannot start FreeType");
    library = lib;
    FT_Face f;
    if (FT_New_Face(lib, file.c_str(), 0, &f) != 0) {
        FT_Done_FreeType(lib);
        throw BakeError("cannot open font " + file + " (install fonts-dejavu-core)");
    }
    face = f;
}

Font::~Font() {
    FT_Done_Face(static_cast<FT_Face>(face));
    FT_Done_FreeType(static_cast<FT_Library>(library));
}

Mask Font::Render(const std::string& text, int pixelHeight, float tracking) const {
    FT_Face f = static_cast<FT_Face>(face);
    FT_Set_Pixel_Sizes(f, 0, FT_UInt(pixelHeight));
    int margin = pixelHeight / 4 + 2;
    // First pass measures, second pass draws.
    int penX = 0, minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
    struct Placed { int x, y; std::vector<uint8_t> bits; int w, h, pitch; };
    std::vector<Placed> glyphs;
    FT_UInt previous = 0;
    for (unsigned char c : text) {
        FT_UInt index = FT_Get_Char_Index(f, c);
        if (previous && index && FT_HAS_KERNING(f)) {
            FT_Vector kern;
            FT_Get_Kerning(f, previous, index, FT_KERNING_DEFAULT, &kern);
            penX += int(kern.x >> 6);
        }
        if (FT_Load_Glyph(f, index, FT_LOAD_RENDER) != 0) throw BakeError("cannot render a glyph of \"" + text + "\"");
        FT_GlyphSlot g = f->glyph;
        Placed p{penX + g->bitmap_left, -g->bitmap_top, {}, int(g->bitmap.width), int(g->bitmap.rows), g->bitmap.pitch};
        p.bits.assign(g->bitmap.buffer, g->bitmap.buffer + size_t(std::abs(p.pitch)) * size_t(p.h));
        if (p.w > 0 && p.h > 0) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x + p.w);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y + p.h);
        }
        glyphs.push_back(std::move(p));
        penX += int(g->advance.x >> 6) + int(std::lround(tracking * pixelHeight));
        previous = index;
    }
    if (maxX < minX) return Mask(1, 1);
    Mask mask(maxX - minX + 2 * margin, maxY - minY + 2 * margin);
    for (const Placed& p : glyphs)
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) {
                float a = p.bits[size_t(y) * size_t(std::abs(p.pitch)) + size_t(x)] / 255.0f;
                float& dst = mask.alpha[size_t(p.y - minY + margin + y) * mask.width + (p.x - minX + margin + x)];
                dst = std::min(1.0f, dst + a);
            }
    return mask;
}

float ValueNoise(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx), ty = ty * ty * (3 - 2 * ty);
    auto corner = [&](int cx, int cy) { return float(Hash3(cx, cy, seed) & 0xFFFFFF) / 16777215.0f; };
    float a = corner(ix, iy), b = corner(ix + 1, iy), c = corner(ix, iy + 1), d = corner(ix + 1, iy + 1);
    return a + (b - a) * tx + (c - a) * ty + (a - b - c + d) * tx * ty;
}

float Fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0, amplitude = 0.5f, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * ValueNoise(x, y, seed + uint32_t(i) * 7919u);
        total += amplitude;
        x = x * 2.03f + 17.1f, y = y * 2.03f + 5.3f;
        amplitude *= 0.5f;
    }
    return sum / total;
}

}  // namespace bake
