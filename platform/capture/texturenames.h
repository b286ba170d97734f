// Texture surfaces are named after the file last opened for reading before their creation.
#pragma once

#include <string>

namespace ddraw {

// The base name noted since the last call, or empty; the name is used up.
std::string TakeOpenedFileName();

}  // namespace ddraw
