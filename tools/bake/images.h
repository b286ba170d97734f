// The show's pictures: title and credit panels, overlays, the flare and the scenes' textures.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"
#include "output.h"

namespace bake {

struct ImageFile {
    std::string name;  // file name under gfx/
    int size;          // square, in pixels
};

// Every picture the baker writes, in writing order.
std::vector<ImageFile> ImageFiles();
// Draws one picture by its file name (both size variants of a picture share one design).
Canvas DrawImage(const std::string& name, int size);
void BakeImages(const std::string& folder, Progress& progress);

}  // namespace bake
