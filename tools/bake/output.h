// Writing the baked files: folders made as needed, every file replaced whole or not at all.
#pragma once

#include <cstdint>
#include <cstdio>
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
// The temporary file a baked file is written to until it is whole.
std::string PartPath(const std::string& path);
// Closes a file written to PartPath(path) and renames it to path; when writing failed, or closing
// fails, removes it and throws instead.
void FinishPartFile(FILE* file, const std::string& path, bool failed);

// One line per finished file: what was written and how far the bake has come.
struct Progress {
    int done = 0;
    int total = 0;
    bool quiet = false;
    void Step(const std::string& what);
};

}  // namespace bake
