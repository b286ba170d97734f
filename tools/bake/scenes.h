// The nineteen scene files of the show, each designed for the passes that draw it.
#pragma once

#include <string>
#include <vector>

#include "output.h"
#include "scenefile.h"

namespace bake {

// Every scene file, in the order the show loads them (the figure file once).
std::vector<SceneFile> BuildScenes();
void BakeScenes(const std::string& folder, Progress& progress);
int SceneFileCount();

}  // namespace bake
