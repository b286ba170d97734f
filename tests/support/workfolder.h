// A fresh folder that is the working folder while the object lives, with the show's data
// folders gfx/ and scenes/ inside; the previous working folder comes back and the folder is
// removed at the end.
#pragma once

#include <string>

struct ScopedWorkFolder {
    std::string path;
    std::string previous;

    ScopedWorkFolder();
    ~ScopedWorkFolder();
    ScopedWorkFolder(const ScopedWorkFolder&) = delete;
    ScopedWorkFolder& operator=(const ScopedWorkFolder&) = delete;
};
