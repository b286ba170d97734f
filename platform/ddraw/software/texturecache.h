// What the device works out once from a texture's pixels and keeps while they stay as they are:
// where it has colour, row by row (glow textures are black over much of their area, and spans
// facing the camera leave out the steps that can only sample black); and, for 16-bit textures,
// each texel paired with the one below it, so that a bilinear sample's four texels are one read.
#pragma once

#include <cstdint>
#include <vector>

#include "ddraw/software/formats.h"

namespace software {

// For each texel row, the first and last column whose texel has colour; width and -1 for a
// black row, so that the lit columns of several rows are the least first to the greatest last.
void FindLitColumns(const SurfaceMemory& texture, ColourFormat format, std::vector<int16_t>* columns);

// For a 16-bit texture, a 32-bit word a texel, width words a row: the texel in the low half and
// the one below it in the high half (below the last row, the first row's).
void PairRows(const SurfaceMemory& texture, std::vector<uint32_t>* pairs);

// What is kept of a texture.
struct TextureDerived {
    const int16_t* litColumns;
    const uint32_t* rowPairs;  // null for 32-bit textures
};

// What is derived from the textures drawn with, kept while their pixels stay as they are: until
// the core changes them (it renews the surface's change stamp) or the device draws into them.
class TextureCache {
public:
    // False when nothing is known for the texture's present pixels.
    bool Find(const SurfaceMemory& texture, TextureDerived* derived);
    // Works it out again; what drew with the earlier one must have finished.
    TextureDerived Make(const SurfaceMemory& texture, ColourFormat format);
    // The device draws into the surface, so nothing derived from it is known any more.
    void Drawing(const SurfaceMemory& target);

private:
    struct Entry {
        const SurfaceMemory* surface;
        uint32_t changes;
        bool known;
        std::vector<int16_t> columns;
        std::vector<uint32_t> pairs;
    };
    std::vector<Entry> entries;
    // The last target whose entry was forgotten, while none have been found for it since.
    const SurfaceMemory* forgotten = nullptr;
};

}  // namespace software
