// Where a texture has colour, row by row: glow textures are black over much of their area, and
// spans facing the camera leave out the steps that can only sample black.
#pragma once

#include <cstdint>
#include <vector>

#include "ddraw/software/formats.h"

namespace software {

// For each texel row, the first and last column whose texel has colour; width and -1 for a
// black row, so that the lit columns of several rows are the least first to the greatest last.
void FindLitColumns(const SurfaceMemory& texture, ColourFormat format, std::vector<int16_t>* columns);

// The lit columns of the textures drawn with, kept while their pixels stay as they are: until
// the core changes them (it renews the surface's change stamp) or the device draws into them.
class LitColumnsCache {
public:
    // The texture's columns, or null when they are not known for its present pixels.
    const int16_t* Find(const SurfaceMemory& texture);
    // Finds them again; what drew with the earlier ones must have finished.
    const int16_t* Make(const SurfaceMemory& texture, ColourFormat format);
    // The device draws into the surface, so its columns are no longer known.
    void Drawing(const SurfaceMemory& target);

private:
    struct Entry {
        const SurfaceMemory* surface;
        uint32_t changes;
        bool known;
        std::vector<int16_t> columns;
    };
    std::vector<Entry> entries;
    // The last target whose columns were forgotten, while none have been found for it since.
    const SurfaceMemory* forgotten = nullptr;
};

}  // namespace software
