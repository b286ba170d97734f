// The whole bake: images, scenes and music under one folder.
#pragma once

#include <string>

namespace bake {

void BakeAll(const std::string& folder, bool quiet);

}  // namespace bake
