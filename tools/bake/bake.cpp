#include "bake.h"

#include "images.h"
#include "output.h"
#include "music.h"
#include "scenes.h"

namespace bake {

void BakeAll(const std::string& folder, bool quiet) {
    MakeDirectories(folder);
    Progress progress;
    progress.quiet = quiet;
    progress.total = int(ImageFiles().size()) + SceneFileCount() + 1;
    BakeImages(folder + "/gfx", progress);
    BakeScenes(folder + "/scenes", progress);
    BakeMusic(folder + "/music", progress);
}

}  // namespace bake
