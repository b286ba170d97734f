#include "ddraw/software/litcolumns.h"

#include <cstring>

namespace software {

namespace {

template <class T>
void FindIn(const SurfaceMemory& texture, T colourBits, int16_t* columns) {
    const int width = static_cast<int>(texture.width);
    for (DWORD y = 0; y < texture.height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(texture.pixels) + static_cast<ptrdiff_t>(y) * texture.pitch;
        int first = width, last = -1;
        for (int x = 0; x < width; ++x) {
            T texel;
            std::memcpy(&texel, row + x * sizeof(T), sizeof(T));
            if (texel & colourBits) {
                if (last < 0) first = x;
                last = x;
            }
        }
        columns[2 * y] = static_cast<int16_t>(first);
        columns[2 * y + 1] = static_cast<int16_t>(last);
    }
}

}  // namespace

void FindLitColumns(const SurfaceMemory& texture, ColourFormat format, std::vector<int16_t>* columns) {
    columns->resize(2 * static_cast<size_t>(texture.height));
    if (BytesPerPixel(format) == 2)
        FindIn<uint16_t>(texture, static_cast<uint16_t>(ColourBitsOf(format)), columns->data());
    else
        FindIn<uint32_t>(texture, ColourBitsOf(format), columns->data());
}

const int16_t* LitColumnsCache::Find(const SurfaceMemory& texture) {
    for (const Entry& entry : entries)
        if (entry.surface == &texture)
            return entry.known && entry.changes == texture.changes ? entry.columns.data() : nullptr;
    return nullptr;
}

const int16_t* LitColumnsCache::Make(const SurfaceMemory& texture, ColourFormat format) {
    if (forgotten == &texture) forgotten = nullptr;
    Entry* entry = nullptr;
    for (Entry& e : entries)
        if (e.surface == &texture) entry = &e;
    if (!entry) {
        entries.push_back({&texture, 0, false, {}});
        entry = &entries.back();
    }
    FindLitColumns(texture, format, &entry->columns);
    entry->changes = texture.changes;
    entry->known = true;
    return entry->columns.data();
}

void LitColumnsCache::Drawing(const SurfaceMemory& target) {
    if (forgotten == &target) return;
    forgotten = &target;
    for (Entry& entry : entries)
        if (entry.surface == &target) entry.known = false;
}

}  // namespace software
