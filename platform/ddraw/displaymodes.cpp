#include "displaymodes.h"

#include <algorithm>

namespace ddraw {

namespace {
const platform::DisplayMode ClassicSizes[] = {
    {640, 480, 0}, {800, 600, 0}, {1024, 768, 0}, {1280, 720, 0}, {1280, 1024, 0}, {1920, 1080, 0},
};
}

std::vector<Mode> OfferedModes(const std::vector<platform::DisplayMode>& reported, platform::DisplayMode desktop) {
    std::vector<Mode> modes;
    auto offer = [&](DWORD width, DWORD height) {
        if (width == 0 || height == 0) return;
        for (DWORD bits : {16u, 32u}) {
            const bool known = std::any_of(modes.begin(), modes.end(), [&](const Mode& m) {
                return m.width == width && m.height == height && m.bitCount == bits;
            });
            if (!known) modes.push_back(Mode{width, height, bits, desktop.refreshRate});
        }
    };
    for (const platform::DisplayMode& size : reported) offer(size.width, size.height);
    for (const platform::DisplayMode& size : ClassicSizes)
        if (size.width <= desktop.width && size.height <= desktop.height) offer(size.width, size.height);
    offer(desktop.width, desktop.height);
    std::sort(modes.begin(), modes.end(), [](const Mode& a, const Mode& b) {
        if (a.width != b.width) return a.width < b.width;
        if (a.height != b.height) return a.height < b.height;
        return a.bitCount < b.bitCount;
    });
    return modes;
}

}  // namespace ddraw
