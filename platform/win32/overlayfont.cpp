// The overlay's lettering, drawn by FreeType (see overlayfont.h).
#include <platform/overlayfont.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {

// From Debian's fonts-dejavu-core.
constexpr const char* FontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr int FirstCharacter = 32;
constexpr int CharacterCount = 95;  // the printable ASCII characters
constexpr int Columns = 16;

// Copies a rendered glyph into its cell, cut to the cell.
void PlaceGlyph(const FT_GlyphSlot glyph, int cellX, int cellY, int baseline, platform::OverlayFont& font) {
    const FT_Bitmap& bitmap = glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const int y = baseline - glyph->bitmap_top + static_cast<int>(row);
        if (y < 0 || y >= font.cellHeight) continue;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const int x = glyph->bitmap_left + static_cast<int>(column);
            if (x < 0 || x >= font.cellWidth) continue;
            font.coverage[static_cast<size_t>(cellY + y) * font.atlasWidth + cellX + x] =
                bitmap.buffer[static_cast<ptrdiff_t>(row) * bitmap.pitch + column];
        }
    }
}

}  // namespace

namespace platform {

bool LoadOverlayFont(int pixelHeight, OverlayFont& font, std::string& reason) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        reason = "FreeType cannot start";
        return false;
    }
    FT_Face face = nullptr;
    bool drawn = false;
    if (FT_New_Face(library, FontPath, 0, &face) != 0) {
        reason = std::string("cannot read the font ") + FontPath + " (Debian's fonts-dejavu-core)";
    } else if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(pixelHeight, 1))) != 0) {
        reason = "cannot size the font";
    } else {
        const FT_Size_Metrics& metrics = face->size->metrics;
        const int baseline = static_cast<int>(metrics.ascender >> 6);
        font.cellWidth = static_cast<int>((metrics.max_advance + 63) >> 6);
        font.cellHeight = static_cast<int>((metrics.ascender - metrics.descender + 63) >> 6);
        font.atlasWidth = font.cellWidth * Columns;
        font.atlasHeight = font.cellHeight * ((CharacterCount + Columns - 1) / Columns);
        font.coverage.assign(static_cast<size_t>(font.atlasWidth) * font.atlasHeight, 0);
        for (int index = 0; index < CharacterCount; ++index) {
            if (FT_Load_Char(face, static_cast<FT_ULong>(FirstCharacter + index), FT_LOAD_RENDER) != 0) continue;
            PlaceGlyph(face->glyph, (index % Columns) * font.cellWidth, (index / Columns) * font.cellHeight, baseline, font);
        }
        drawn = true;
    }
    if (face != nullptr) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return drawn;
}

int LayOutOverlayText(const OverlayFont& font, const char* text, int x, int y, GlyphCell* cells, int capacity) {
    int count = 0;
    for (const char* c = text; *c != '\0' && count < capacity; ++c, x += font.cellWidth) {
        const int index = static_cast<unsigned char>(*c) - FirstCharacter;
        if (index <= 0 || index >= CharacterCount) continue;  // a space, or nothing the font has drawn
        cells[count++] = GlyphCell{(index % Columns) * font.cellWidth, (index / Columns) * font.cellHeight, x, y};
    }
    return count;
}

}  // namespace platform
