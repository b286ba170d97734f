#include "ddraw/software/texturecache.h"

#include <cstdint>
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

void PairRows(const SurfaceMemory& texture, std::vector<uint32_t>* pairs) {
    const size_t width = texture.width, height = texture.height;
    pairs->resize(width * height);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(texture.pixels) + static_cast<ptrdiff_t>(y) * texture.pitch;
        const uint8_t* below = static_cast<const uint8_t*>(texture.pixels) +
                               static_cast<ptrdiff_t>(y + 1 < height ? y + 1 : 0) * texture.pitch;
        uint32_t* out = pairs->data() + y * width;
        for (size_t x = 0; x < width; ++x) {
            uint16_t texel, under;
            std::memcpy(&texel, row + 2 * x, 2);
            std::memcpy(&under, below + 2 * x, 2);
            out[x] = texel | static_cast<uint32_t>(under) << 16;
        }
    }
}

bool TextureCache::Find(const SurfaceMemory& texture, TextureDerived* derived) {
    for (const Entry& entry : entries)
        if (entry.surface == &texture) {
            if (!entry.known || entry.changes != texture.changes) return false;
            *derived = {entry.columns.data(), entry.pairs.empty() ? nullptr : entry.pairs.data()};
            return true;
        }
    return false;
}

TextureDerived TextureCache::Make(const SurfaceMemory& texture, ColourFormat format) {
    if (forgotten == &texture) forgotten = nullptr;
    Entry* entry = nullptr;
    for (Entry& e : entries)
        if (e.surface == &texture) entry = &e;
    if (!entry) {
        entries.push_back({&texture, 0, false, {}, {}});
        entry = &entries.back();
    }
    FindLitColumns(texture, format, &entry->columns);
    // The pairs are read through 32-bit byte offsets.
    if (BytesPerPixel(format) == 2 && static_cast<int64_t>(texture.width) * texture.height * 4 <= INT32_MAX)
        PairRows(texture, &entry->pairs);
    else
        entry->pairs.clear();
    entry->changes = texture.changes;
    entry->known = true;
    return {entry->columns.data(), entry->pairs.empty() ? nullptr : entry->pairs.data()};
}

void TextureCache::Drawing(const SurfaceMemory& target) {
    if (forgotten == &target) return;
    forgotten = &target;
    for (Entry& entry : entries)
        if (entry.surface == &target) entry.known = false;
}

}  // namespace software
