// The whole bake: images, scenes and music under one folder.
#pragma once

#include <string>

void BakeAll(const std::string& folder, bool quiet);
