// Where the running program's file is: the show finds gfx//, scenes// and music// there,
// however it was started.
#pragma once

#include <string>

namespace platform {

// The folder of the running executable ("/" for the root), from /proc, or from argument0 (the
// program's argv[0]) when /proc cannot tell; empty when neither names a folder.
std::string ExecutableFolder(const char* argument0);

}  // namespace platform
