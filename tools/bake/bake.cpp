#include "bake.h"

#include "images.h"
#include "output.h"

void BakeAll(const std::string& folder, bool quiet) {
    MakeDirectories(folder);
    Progress progress;
    progress.quiet = quiet;
    progress.total = int(ImageFiles().size());
    BakeImages(folder + "/gfx", progress);
}
