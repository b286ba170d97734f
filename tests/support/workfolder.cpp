#include "workfolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "heliotropic-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

ScopedWorkFolder::ScopedWorkFolder() {
    previous = std::filesystem::current_path().string();
    std::filesystem::create_directory(path + "/gfx");
    std::filesystem::create_directory(path + "/scenes");
    std::filesystem::current_path(path);
}

ScopedWorkFolder::~ScopedWorkFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
}
