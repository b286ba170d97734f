// Pictures in floating point (linear 0..1 per channel), drawn additively like the show draws them,
// then encoded as baseline three-component JPEG.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bake {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(float s, Rgb a) { return {s * a.r, s * a.g, s * a.b}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
Rgb Mix(Rgb a, Rgb b, float t);
Rgb Hsv(float hue, float saturation, float value);  // hue in turns

// One channel of coverage: text and shapes before they are coloured.
struct Mask {
    int width = 0, height = 0;
    std::vector<float> alpha;
    Mask() = default;
    Mask(int w, int h) : width(w), height(h), alpha(size_t(w) * size_t(h), 0.0f) {}
    float At(int x, int y) const {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0.0f : alpha[size_t(y) * width + x];
    }
};

class Canvas {
public:
    Canvas(int width, int height);
    int Width() const { return width; }
    int Height() const { return height; }
    Rgb& At(int x, int y) { return pixels[size_t(y) * width + x]; }
    const Rgb& At(int x, int y) const { return pixels[size_t(y) * width + x]; }

    // Per-pixel shader over the whole picture, u and v from 0 (left, top) to 1 at pixel centres.
    void Shade(const std::function<Rgb(float u, float v)>& shader);
    void Add(const std::function<Rgb(float u, float v)>& shader);
    // A radial glow centred at (u, v): colour × (1 − d/radius)^sharpness, zero outside.
    void AddGlow(float u, float v, float radius, Rgb colour, float sharpness);
    // An anti-aliased line of the given thickness (all in picture-width units), added.
    void AddLine(float u0, float v0, float u1, float v1, float thickness, Rgb colour);
    // A coverage mask placed with its centre at (u, v), its height = height × picture height,
    // coloured, with an optional soft glow around it.
    void Stamp(const Mask& mask, float u, float v, float height, Rgb colour, Rgb glow, float glowRadius);
    // Darkens towards the rim so textures blend into black where an overlay ends.
    void Vignette(float inner, float outer);
    void Scanlines(int period, float depth);

    std::vector<uint8_t> EncodeJpeg(int quality) const;

private:
    int width, height;
    std::vector<Rgb> pixels;
};

void BoxBlur(Mask& mask, int radius, int passes);
Mask Resample(const Mask& mask, int width, int height);

// FreeType text from the DejaVu fonts, rendered to an anti-aliased mask.
class Font {
public:
    explicit Font(const std::string& file);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    // The text at the given pixel height (cap height about 0.73 of it), letters spaced by
    // tracking × pixel height; the mask is cropped to the inked box plus a margin.
    Mask Render(const std::string& text, int pixelHeight, float tracking = 0.0f) const;

private:
    void* library = nullptr;
    void* face = nullptr;
};

std::string FontPath(const std::string& fileName);

// Smooth noise in 0..1 on a lattice of unit cells, and its fractal sum.
float ValueNoise(float x, float y, uint32_t seed);
float Fbm(float x, float y, int octaves, uint32_t seed);
float SmoothStep(float edge0, float edge1, float x);

}  // namespace bake
