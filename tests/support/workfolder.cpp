#include "workfolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

ScopedWorkFolder::ScopedWorkFolder() {
    char pattern[] = "/tmp/heliotropic-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("cannot make a temporary folder");
    path = pattern;
    previous = std::filesystem::current_path().string();
    std::filesystem::create_directory(path + "/gfx");
    std::filesystem::create_directory(path + "/scenes");
    std::filesystem::current_path(path);
}

ScopedWorkFolder::~ScopedWorkFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(path, ignored);
}
