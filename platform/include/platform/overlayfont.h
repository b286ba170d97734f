// The frame-rate overlay's lettering: the printable ASCII characters of DejaVu Sans Mono drawn
// once by FreeType into one coverage bitmap, and text laid out as cells of it. A presentation
// path turns the bitmap into a texture of its own and draws the cells over the show's picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct OverlayFont {
    std::vector<uint8_t> coverage;  // atlasWidth x atlasHeight, 0 (clear) to 255 (ink)
    int atlasWidth = 0;
    int atlasHeight = 0;
    int cellWidth = 0;  // every character's cell: the font is monospaced
    int cellHeight = 0;
};

// One character: the cell at (sourceX, sourceY) of the bitmap, drawn at (x, y).
struct GlyphCell {
    int sourceX;
    int sourceY;
    int x;
    int y;
};

// Draws the font with cells of about this many pixels high; false, with the reason in `reason`,
// when it cannot (the font is missing, say).
bool LoadOverlayFont(int pixelHeight, OverlayFont& font, std::string& reason);

// Lays out a line of text from (x, y): one cell per character other than a space, at most
// capacity of them. Returns how many were written.
int LayOutOverlayText(const OverlayFont& font, const char* text, int x, int y, GlyphCell* cells, int capacity);

}  // namespace platform
