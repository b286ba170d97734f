// Temporary folders for tests.
#pragma once

#include <string>

// A fresh folder under the system's temporary folder; it goes, with all it holds, at the end.
struct TemporaryFolder {
    std::string path;

    TemporaryFolder();
    ~TemporaryFolder();
    std::string File(const std::string& name) const { return path + "/" + name; }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
};

// A temporary folder that is the working folder while the object lives, with the show's data
// folders gfx/ and scenes/ inside; the previous working folder comes back at the end.
struct ScopedWorkFolder : TemporaryFolder {
    std::string previous;

    ScopedWorkFolder();
    ~ScopedWorkFolder();
};
