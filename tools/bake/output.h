// Writing the baked files: folders made as needed, every file replaced whole or not at all.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace bake {

struct BakeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void MakeDirectories(const std::string& path);
// Writes through a temporary file and a rename, so an interrupted bake never leaves a torn file.
void WriteFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes);

// One line per finished file: what was written and how far the bake has come.
struct Progress {
    int done = 0;
    int total = 0;
    bool quiet = false;
    void Step(const std::string& what);
};

}  // namespace bake
