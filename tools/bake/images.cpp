#include "images.h"

#include <algorithm>
#include <cmath>

#include "random.h"

namespace bake {

namespace {
constexpr float Pi = 3.14159265358979f;

struct Fonts {
    Font bold{FontPath("DejaVuSans-Bold.ttf")};
    Font light{FontPath("DejaVuSans-ExtraLight.ttf")};
    Font mono{FontPath("DejaVuSansMono-Bold.ttf")};
    Font serif{FontPath("DejaVuSerif-Bold.ttf")};
    Font condensed{FontPath("DejaVuSansCondensed-Bold.ttf")};
};

const Fonts& TheFonts() {
    static const Fonts fonts;
    return fonts;
}

const Rgb Gold{1.0f, 0.74f, 0.32f};
const Rgb Amber{1.0f, 0.45f, 0.12f};
const Rgb Sky{0.35f, 0.62f, 1.0f};
const Rgb Ice{0.75f, 0.9f, 1.0f};
const Rgb White{1, 1, 1};

// Text centred at (u, v); size is the em height as a fraction of the picture height. Text wider
// than maxWidth (a fraction of the picture width) is shrunk to fit.
void Text(Canvas& c, const Font& font, const std::string& text, float u, float v, float size, Rgb colour,
          Rgb glow = {}, float glowRadius = 0, float tracking = 0, float maxWidth = 0.9f) {
    int pixels = std::max(8, int(std::lround(size * c.Height() * 2)));
    Mask mask = font.Render(text, pixels, tracking);
    float scale = 0.5f;
    if (mask.width * scale > maxWidth * c.Width()) scale = maxWidth * c.Width() / mask.width;
    c.Stamp(mask, u, v, mask.height * scale / c.Height(), colour, glow, glowRadius);
}

void Loading(Canvas& c) {
    const Fonts& f = TheFonts();
    c.Shade([](float u, float v) {
        float beam = std::exp(-std::fabs(v - 0.5f) * 60) * 0.35f + std::exp(-std::fabs(v - 0.5f) * 14) * 0.08f;
        float fade = SmoothStep(0.0f, 0.3f, u) * SmoothStep(1.0f, 0.7f, u);
        return fade * beam * Rgb{0.45f, 0.75f, 1.0f};
    });
    c.AddLine(0.08f, 0.5f, 0.92f, 0.5f, 0.006f, Rgb{0.6f, 0.85f, 1.0f});
    Text(c, f.bold, "LOADING", 0.5f, 0.40f, 0.11f, Ice, Sky, 0.012f, 0.28f);
    for (int i = 0; i < 12; ++i) {
        float u = 0.26f + i * 0.044f;
        float level = i < 8 ? 0.9f : 0.25f;
        c.AddLine(u, 0.585f, u + 0.026f, 0.585f, 0.012f, level * Rgb{0.5f, 0.8f, 1.0f});
    }
    c.Scanlines(4, 0.35f);
    c.Vignette(0.85f, 1.0f);
}

void Tessik2(Canvas& c) {
    c.Shade([](float u, float v) {
        float x = u * 2 * Pi, y = v * 2 * Pi;
        float value = std::sin(x * 2 + std::sin(y * 3) * 1.5f) + std::sin((x + y) * 1.5f) +
                      std::sin(std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.4f) * (v - 0.4f)) * 24);
        float bands = 0.5f + 0.5f * std::sin(value * 2.6f);
        Rgb colour = Hsv(0.78f + value * 0.07f, 0.75f, 0.25f + 0.75f * bands * bands);
        float stripe = 0.8f + 0.2f * std::sin((u + v) * 90);
        return stripe * colour;
    });
}

void Vision(Canvas& c) {
    const Fonts& f = TheFonts();
    // An open eye: two lids, an iris ring and a bright pupil highlight.
    const int steps = 64;
    for (int i = 0; i < steps; ++i) {
        float a = float(i) / steps, b = float(i + 1) / steps;
        auto lid = [](float t) { return 0.15f * std::sin(Pi * t); };
        float ua = 0.18f + 0.64f * a, ub = 0.18f + 0.64f * b;
        c.AddLine(ua, 0.4f - lid(a), ub, 0.4f - lid(b), 0.008f, Rgb{0.45f, 0.85f, 1.0f});
        c.AddLine(ua, 0.4f + lid(a), ub, 0.4f + lid(b), 0.008f, Rgb{0.45f, 0.85f, 1.0f});
    }
    c.Add([](float u, float v) {
        float d = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.4f) * (v - 0.4f));
        float ring = std::exp(-std::fabs(d - 0.085f) * 90);
        float rays = 0.5f + 0.5f * std::sin(std::atan2(v - 0.4f, u - 0.5f) * 24);
        float iris = d < 0.11f ? (0.35f + 0.4f * rays) * SmoothStep(0.11f, 0.05f, d) : 0.0f;
        return ring * Gold + iris * Rgb{1.0f, 0.6f, 0.2f};
    });
    c.AddGlow(0.47f, 0.37f, 0.035f, White, 1.5f);
    Text(c, f.bold, "VISION", 0.5f, 0.76f, 0.12f, White, Rgb{0.3f, 0.7f, 1.0f}, 0.014f, 0.35f);
    c.Vignette(0.9f, 1.0f);
}

void Susp(Canvas& c) {
    const Fonts& f = TheFonts();
    Random random(7);
    for (int i = 0; i < 34; ++i) {
        float u = 0.04f + 0.92f * random.Uniform();
        float end = 0.12f + 0.8f * random.Uniform();
        if (std::fabs(end - 0.5f) < 0.08f) end += 0.16f;
        float level = 0.15f + 0.25f * random.Uniform();
        c.AddLine(u, 0.0f, u, end, 0.003f, level * Rgb{0.7f, 0.6f, 1.0f});
        c.AddGlow(u, end, 0.018f + 0.012f * random.Uniform(), Rgb{0.9f, 0.75f, 1.0f}, 2.0f);
    }
    Text(c, f.bold, "SUSPENDED", 0.5f, 0.5f, 0.1f, Rgb{0.95f, 0.9f, 1.0f}, Rgb{0.6f, 0.3f, 0.9f}, 0.012f, 0.12f);
    c.Vignette(0.92f, 1.0f);
}

void Key(Canvas& c) {
    const Fonts& f = TheFonts();
    // The sun the title turns toward: a glowing disc with alternating rays above the name.
    c.AddGlow(0.5f, 0.38f, 0.42f, 0.45f * Amber, 2.2f);
    c.Add([](float u, float v) {
        float d = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.38f) * (v - 0.38f));
        return SmoothStep(0.095f, 0.085f, d) * Rgb{1.0f, 0.9f, 0.6f};
    });
    for (int i = 0; i < 32; ++i) {
        float angle = i * 2 * Pi / 32;
        float inner = 0.12f, outer = (i % 2 == 0) ? 0.27f : 0.2f;
        c.AddLine(0.5f + std::cos(angle) * inner, 0.38f + std::sin(angle) * inner, 0.5f + std::cos(angle) * outer,
                  0.38f + std::sin(angle) * outer, 0.007f, (i % 2 == 0 ? 0.9f : 0.55f) * Gold);
    }
    Text(c, f.bold, "HELIOTROPIC", 0.5f, 0.76f, 0.1f, Rgb{1.0f, 0.85f, 0.5f}, Amber, 0.014f, 0.1f);
    Text(c, f.light, "turning toward the light", 0.5f, 0.86f, 0.05f, Rgb{0.9f, 0.75f, 0.55f}, {}, 0, 0.08f);
    c.Vignette(0.9f, 1.0f);
}

void Freedom(Canvas& c) {
    const Fonts& f = TheFonts();
    Random random(11);
    // A rising flock: small chevrons spreading up and to the right.
    for (int i = 0; i < 26; ++i) {
        float t = random.Uniform();
        float u = 0.12f + 0.76f * t + random.Range(-0.06f, 0.06f);
        float v = 0.36f - 0.26f * t + random.Range(-0.06f, 0.06f);
        float s = 0.012f + 0.018f * random.Uniform();
        Rgb colour = (0.5f + 0.5f * random.Uniform()) * Ice;
        c.AddLine(u - s, v - s * 0.6f, u, v, 0.005f, colour);
        c.AddLine(u, v, u + s, v - s * 0.6f, 0.005f, colour);
    }
    Text(c, f.bold, "FREEDOM", 0.5f, 0.55f, 0.16f, White, Sky, 0.018f, 0.08f);
    c.AddLine(0.2f, 0.68f, 0.8f, 0.68f, 0.004f, 0.6f * Sky);
    c.Vignette(0.9f, 1.0f);
}

void YouAre(Canvas& c) {
    const Fonts& f = TheFonts();
    Text(c, f.bold, "YOU ARE", 0.5f, 0.4f, 0.17f, White, Sky, 0.016f, 0.04f);
    Text(c, f.light, "FREE", 0.5f, 0.64f, 0.17f, Gold, Amber, 0.012f, 0.3f);
    c.Vignette(0.9f, 1.0f);
}

void Wire(Canvas& c) {
    // A glowing edge frame: on a cube drawn additively only the edges show.
    c.Shade([](float u, float v) {
        float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
        float frame = std::exp(-std::fabs(edge - 0.045f) * 70);
        float grid = 0.0f;
        for (int i = 1; i < 4; ++i) {
            grid += std::exp(-std::fabs(u - i * 0.25f) * 400) + std::exp(-std::fabs(v - i * 0.25f) * 400);
        }
        return frame * Rgb{0.6f, 0.95f, 1.0f} + 0.18f * grid * Rgb{0.3f, 0.6f, 1.0f};
    });
}

void Change(Canvas& c) {
    const Fonts& f = TheFonts();
    // Broken concentric dials around the centre, the word below.
    Random random(5);
    for (int ring = 0; ring < 3; ++ring) {
        float radius = 0.16f + ring * 0.08f;
        int pieces = 5 + ring * 3;
        float offset = random.Uniform();
        for (int p = 0; p < pieces; ++p) {
            float start = (p + offset) * 2 * Pi / pieces, length = (0.55f + 0.3f * random.Uniform()) * 2 * Pi / pieces;
            const int steps = 14;
            for (int s = 0; s < steps; ++s) {
                float a = start + length * s / steps, b = start + length * (s + 1) / steps;
                c.AddLine(0.5f + std::cos(a) * radius, 0.42f + std::sin(a) * radius, 0.5f + std::cos(b) * radius,
                          0.42f + std::sin(b) * radius, 0.006f - ring * 0.001f, (0.8f - ring * 0.2f) * Rgb{1.0f, 0.4f, 0.8f});
            }
        }
    }
    c.AddGlow(0.5f, 0.42f, 0.1f, 0.5f * Rgb{1.0f, 0.5f, 0.9f}, 2.0f);
    Text(c, f.bold, "CHANGE", 0.5f, 0.8f, 0.12f, White, Rgb{1.0f, 0.3f, 0.7f}, 0.014f, 0.3f);
    c.Vignette(0.9f, 1.0f);
}

void SettingSun(Canvas& c, float horizon, float radius) {
    c.Add([=](float u, float v) {
        float du = u - 0.5f, dv = v - horizon;
        float d = std::sqrt(du * du + dv * dv);
        Rgb sky = std::exp(-std::fabs(dv) * 9) * SmoothStep(0.55f, 0.0f, std::fabs(du)) * 0.25f * Amber;
        if (v > horizon) {
            // Reflections: short bright dashes on dark water.
            float row = std::fmod((v - horizon) * 60, 1.0f);
            float width = 0.22f * (1 - (v - horizon) * 2.5f);
            float dash = (row < 0.35f && std::fabs(du) < width) ? 0.45f * (1 - (v - horizon) * 3) : 0.0f;
            return sky + std::max(0.0f, dash) * Rgb{1.0f, 0.45f, 0.3f};
        }
        if (d > radius) return sky;
        float t = (horizon - v) / radius;  // 0 at the horizon, 1 at the top
        float gap = std::fmod((1 - t) * 9, 1.0f);
        bool cut = t < 0.55f && gap < 0.5f * (0.55f - t) / 0.55f + 0.05f;
        Rgb colour = Mix(Rgb{1.0f, 0.25f, 0.55f}, Rgb{1.0f, 0.85f, 0.3f}, t);
        return cut ? sky : colour + sky;
    });
    c.AddLine(0.05f, horizon, 0.95f, horizon, 0.004f, Rgb{1.0f, 0.5f, 0.4f});
}

void End(Canvas& c) {
    const Fonts& f = TheFonts();
    Text(c, f.light, "HELIOTROPIC", 0.5f, 0.16f, 0.06f, Rgb{0.9f, 0.75f, 0.6f}, {}, 0, 0.45f);
    SettingSun(c, 0.6f, 0.22f);
    Text(c, f.bold, "THE END", 0.5f, 0.84f, 0.11f, White, Amber, 0.014f, 0.2f);
    c.Vignette(0.9f, 1.0f);
}

void Stars(Canvas& c, uint32_t seed, int count) {
    Random random(seed);
    for (int i = 0; i < count; ++i) {
        float u = random.Uniform(), v = random.Uniform(), level = random.Uniform();
        c.AddGlow(u, v, 0.004f + 0.01f * level * level, (0.3f + 0.7f * level) * Ice, 1.5f);
    }
}

void End1(Canvas& c) {
    const Fonts& f = TheFonts();
    Stars(c, 21, 60);
    Text(c, f.bold, "THANK YOU", 0.5f, 0.44f, 0.13f, White, Sky, 0.014f, 0.12f);
    Text(c, f.light, "for watching", 0.5f, 0.6f, 0.08f, Ice, {}, 0, 0.1f);
    c.Vignette(0.9f, 1.0f);
}

void End2(Canvas& c) {
    const Fonts& f = TheFonts();
    SettingSun(c, 0.7f, 0.16f);
    Text(c, f.bold, "SEE YOU", 0.5f, 0.3f, 0.13f, White, Amber, 0.014f, 0.12f);
    Text(c, f.light, "in the light", 0.5f, 0.45f, 0.08f, Gold, {}, 0, 0.1f);
    c.Vignette(0.9f, 1.0f);
}

// A credited person's handle: one compact line, so the grid's neighbours never collide.
void Person(Canvas& c, const std::string& handle, float hue) {
    const Fonts& f = TheFonts();
    Rgb colour = Hsv(hue, 0.35f, 1.0f), glow = Hsv(hue, 0.9f, 0.8f);
    Text(c, f.bold, handle, 0.5f, 0.49f, 0.15f, colour, glow, 0.018f, 0.04f, 0.86f);
    c.AddLine(0.32f, 0.6f, 0.68f, 0.6f, 0.006f, 0.5f * glow);
    c.Vignette(0.9f, 1.0f);
}

// A credit category: the word in the upper part, above the names that sit below it in the grid.
void Category(Canvas& c, const std::string& word, float hue) {
    const Fonts& f = TheFonts();
    Rgb glow = Hsv(hue, 0.85f, 0.9f);
    Text(c, f.bold, word, 0.5f, 0.34f, 0.13f, Rgb{1.0f, 0.96f, 0.88f}, glow, 0.014f, 0.22f, 0.86f);
    c.Add([=](float u, float v) {
        float line = std::exp(-std::fabs(v - 0.43f) * 500) * SmoothStep(0.45f, 0.0f, std::fabs(u - 0.5f));
        return line * glow;
    });
    c.Vignette(0.9f, 1.0f);
}

void Flare(Canvas& c) {
    c.Shade([](float u, float v) {
        float du = u - 0.5f, dv = v - 0.5f;
        float d = std::sqrt(du * du + dv * dv);
        float core = std::exp(-d * 22), halo = std::exp(-d * 5.5f) * 0.5f;
        float ring = std::exp(-std::fabs(d - 0.3f) * 60) * 0.06f;
        float streak = (std::exp(-std::fabs(dv) * 90) * std::exp(-std::fabs(du) * 7) +
                        std::exp(-std::fabs(du) * 90) * std::exp(-std::fabs(dv) * 7)) * 0.35f;
        float window = 1 - SmoothStep(0.33f, 0.49f, d);
        Rgb colour = core * Rgb{1.0f, 0.97f, 0.9f} + halo * Rgb{1.0f, 0.72f, 0.42f} + (ring + streak) * Rgb{0.8f, 0.85f, 1.0f};
        return window * colour;
    });
}

// Scene textures.

void Grid(Canvas& c) {
    Random random(3);
    int cells = 8;
    std::vector<float> fill(size_t(cells * cells));
    for (float& level : fill) level = random.Uniform() < 0.22f ? 0.1f + 0.25f * random.Uniform() : 0.0f;
    c.Shade([&](float u, float v) {
        float gu = u * cells, gv = v * cells;
        float lu = gu - std::floor(gu), lv = gv - std::floor(gv);
        float line = std::exp(-std::min(lu, 1 - lu) * 60) + std::exp(-std::min(lv, 1 - lv) * 60);
        float node = std::exp(-std::sqrt((std::min(lu, 1 - lu)) * (std::min(lu, 1 - lu)) +
                                         (std::min(lv, 1 - lv)) * (std::min(lv, 1 - lv))) * 25);
        float cell = fill[size_t(std::min(cells - 1, int(gv)) * cells + std::min(cells - 1, int(gu)))];
        return 0.45f * line * Rgb{0.2f, 0.8f, 1.0f} + 0.6f * node * Ice + cell * Rgb{0.1f, 0.45f, 0.9f};
    });
}

void Glyphs(Canvas& c) {
    const Fonts& f = TheFonts();
    Random random(17);
    const char* digits = "0123456789ABCDEF";
    int columns = 12, rows = 12;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) {
            float level = random.Uniform();
            if (level < 0.25f) continue;
            std::string glyph(1, digits[random.Below(16)]);
            Rgb colour = level > 0.93f ? Rgb{0.9f, 1.0f, 0.95f} : level * Rgb{0.2f, 1.0f, 0.6f};
            Text(c, f.mono, glyph, (x + 0.5f) / columns, (y + 0.5f) / rows, 0.8f / rows, colour);
        }
}

void Metal(Canvas& c) {
    c.Shade([](float u, float v) {
        float brushed = Fbm(u * 3, v * 60, 3, 31) * 0.25f;
        float plates = std::exp(-std::fabs(std::fmod(v * 4, 1.0f) - 0.5f) * 0.5f);
        float seam = std::exp(-std::min(std::fmod(v * 4, 1.0f), 1 - std::fmod(v * 4, 1.0f)) * 120) * 0.5f;
        float rivet = 0;
        float ru = std::fmod(u * 8, 1.0f) - 0.5f, rv = std::fmod(v * 4 + 0.5f, 1.0f) - 0.5f;
        if (std::fabs(rv) > 0.4f) rivet = std::exp(-std::sqrt(ru * ru + (std::fabs(rv) - 0.45f) * (std::fabs(rv) - 0.45f)) * 40);
        float level = 0.35f + brushed + 0.08f * plates - seam + 0.3f * rivet;
        return level * Rgb{0.8f, 0.86f, 0.95f};
    });
}

void Marble(Canvas& c) {
    c.Shade([](float u, float v) {
        float turbulence = Fbm(u * 4, v * 4, 5, 41);
        float vein = std::pow(1 - std::fabs(std::sin((u * 3 + v * 2 + turbulence * 3) * Pi)), 10.0f);
        float base = 0.55f + 0.2f * Fbm(u * 9, v * 9, 3, 43);
        return Mix(base * Rgb{0.85f, 0.82f, 0.78f}, Rgb{0.35f, 0.28f, 0.3f}, vein * 0.8f);
    });
}

void Terrain(Canvas& c) {
    c.Shade([](float u, float v) {
        float n = Fbm(u * 5, v * 5, 5, 51);
        float ridge = 1 - std::fabs(Fbm(u * 7 + 3, v * 7, 4, 53) * 2 - 1);
        Rgb ground = Mix(Rgb{0.18f, 0.08f, 0.3f}, Rgb{0.25f, 0.5f, 0.55f}, n);
        return ground + std::pow(ridge, 14.0f) * Rgb{0.3f, 1.0f, 0.8f};
    });
}

void Skin(Canvas& c) {
    c.Shade([](float u, float v) {
        float cells = Fbm(u * 16, v * 16, 2, 61);
        float line = std::exp(-std::fabs(std::sin(v * Pi * 24)) * 6) * 0.15f;
        return (0.7f + 0.25f * cells - line) * Rgb{0.86f, 0.9f, 1.0f};
    });
}

void Glass(Canvas& c) {
    c.Shade([](float u, float v) {
        float streak = Fbm(u * 30, v * 1.5f, 3, 71);
        float rim = std::exp(-std::min(u, 1 - u) * 30) + std::exp(-std::min(v, 1 - v) * 30);
        return (0.12f + 0.3f * streak * (1 - v)) * Rgb{0.4f, 0.8f, 1.0f} + 0.5f * rim * Ice;
    });
}

void Ribbon(Canvas& c) {
    c.Shade([](float u, float v) {
        float across = std::sin(v * Pi);
        float flow = 0.5f + 0.5f * std::sin(u * 2 * Pi * 6 + std::sin(v * Pi * 3) * 2);
        float edge = std::exp(-std::min(v, 1 - v) * 25);
        return across * (0.25f + 0.5f * flow) * Rgb{0.7f, 0.85f, 1.0f} + 0.6f * edge * White;
    });
}

void Tribal(Canvas& c) {
    c.Shade([](float u, float v) {
        float zig = std::fabs(std::fmod(u * 8, 1.0f) - 0.5f) * 0.25f;
        float band = std::fmod(v * 6 + zig * 6, 1.0f);
        float stripe = SmoothStep(0.08f, 0.14f, band) * SmoothStep(0.5f, 0.44f, band);
        float dots = std::exp(-std::sqrt(std::pow(std::fmod(u * 16, 1.0f) - 0.5f, 2.0f) +
                                         std::pow(std::fmod(v * 12, 1.0f) - 0.75f, 2.0f)) * 18);
        return stripe * Rgb{1.0f, 0.45f, 0.12f} + 0.8f * dots * Rgb{1.0f, 0.85f, 0.4f};
    });
}

void SkyDome(Canvas& c) {
    c.Shade([](float u, float v) {
        float nebula = std::pow(Fbm(u * 3, v * 3, 5, 81), 3.0f) * 1.6f;
        return nebula * Rgb{0.5f, 0.2f, 0.8f} + std::pow(Fbm(u * 4 + 9, v * 4, 4, 83), 4.0f) * Rgb{0.1f, 0.6f, 0.7f};
    });
    Stars(c, 85, 110);
}

struct Design {
    const char* name;
    const char* variant;  // the 512 name, or nullptr
    void (*draw)(Canvas&);
};

void Skell(Canvas& c) { Person(c, "skell", 0.55f); }
void Ravmoor(Canvas& c) { Person(c, "ravmoor", 0.08f); }
void Pellin(Canvas& c) { Person(c, "pellin", 0.85f); }
void Mendrow(Canvas& c) { Person(c, "mendrow", 0.33f); }
void Tessik(Canvas& c) { Person(c, "tessik", 0.72f); }
void Quorvel(Canvas& c) { Person(c, "quorvel", 0.15f); }
void Code(Canvas& c) { Category(c, "CODE", 0.55f); }
void Music(Canvas& c) { Category(c, "MUSIC", 0.9f); }
void Art2d(Canvas& c) { Category(c, "2D ART", 0.1f); }
void Art3d(Canvas& c) { Category(c, "3D ART", 0.45f); }

const Design designs[] = {
    {"loading.jpg", "load512.jpg", Loading}, {"tessik2.jpg", nullptr, Tessik2},
    {"vision.jpg", "visi512.jpg", Vision},   {"susp.jpg", "susp512.jpg", Susp},
    {"key.jpg", "key512.jpg", Key},          {"freedom.jpg", "free512.jpg", Freedom},
    {"youare.jpg", nullptr, YouAre},         {"wire2.jpg", nullptr, Wire},
    {"change.jpg", "chan512.jpg", Change},   {"end.jpg", "end512.jpg", End},
    {"end1.jpg", "end1512.jpg", End1},       {"end2.jpg", "end2512.jpg", End2},
    {"skell.jpg", nullptr, Skell},           {"ravmoor.jpg", nullptr, Ravmoor},
    {"pellin.jpg", nullptr, Pellin},         {"mendrow.jpg", nullptr, Mendrow},
    {"tessik.jpg", nullptr, Tessik},         {"quorvel.jpg", nullptr, Quorvel},
    {"code.jpg", nullptr, Code},             {"music.jpg", nullptr, Music},
    {"art2d.jpg", nullptr, Art2d},           {"art3d.jpg", nullptr, Art3d},
    {"flare.jpg", nullptr, Flare},           {"grid.jpg", nullptr, Grid},
    {"glyphs.jpg", nullptr, Glyphs},         {"metal.jpg", nullptr, Metal},
    {"marble.jpg", nullptr, Marble},         {"terrain.jpg", nullptr, Terrain},
    {"skin.jpg", nullptr, Skin},             {"glass.jpg", nullptr, Glass},
    {"ribbon.jpg", nullptr, Ribbon},         {"tribal.jpg", nullptr, Tribal},
    {"sky.jpg", nullptr, SkyDome},
};
}  // namespace

std::vector<ImageFile> ImageFiles() {
    std::vector<ImageFile> files;
    for (const Design& d : designs) {
        files.push_back({d.name, 256});
        if (d.variant) files.push_back({d.variant, 512});
    }
    return files;
}

Canvas DrawImage(const std::string& name, int size) {
    for (const Design& d : designs)
        if (name == d.name || (d.variant && name == d.variant)) {
            Canvas canvas(size, size);
            d.draw(canvas);
            return canvas;
        }
    throw BakeError("no design for image " + name);
}

void BakeImages(const std::string& folder, Progress& progress) {
    MakeDirectories(folder);
    for (const ImageFile& file : ImageFiles()) {
        WriteFileAtomic(folder + "/" + file.name, DrawImage(file.name, file.size).EncodeJpeg(92));
        progress.Step("gfx/" + file.name);
    }
}

}  // namespace bake
