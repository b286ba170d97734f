#include "bake.h"

#include "images.h"
#include "output.h"
#include "scenes.h"

void BakeAll(const std::string& folder, bool quiet) {
    MakeDirectories(folder);
    Progress progress;
    progress.quiet = quiet;
    progress.total = int(ImageFiles().size()) + SceneFileCount();
    BakeImages(folder + "/gfx", progress);
    BakeScenes(folder + "/scenes", progress);
}
