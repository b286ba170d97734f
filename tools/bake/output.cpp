#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace bake {

void MakeDirectories(const std::string& path) {
    std::string partial;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        partial = path.substr(0, slash);
        if (!partial.empty() && mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
            throw BakeError("cannot create folder " + partial + ": " + std::strerror(errno));
        start = slash + 1;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        throw BakeError(path + " is not a folder");
}

void WriteFileAtomic(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temporary = PartPath(path);
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) throw BakeError("cannot write " + temporary + ": " + std::strerror(errno));
    const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    FinishPartFile(file, path, written != bytes.size());
}

std::string PartPath(const std::string& path) { return path + ".part"; }

void FinishPartFile(FILE* file, const std::string& path, bool failed) {
    const std::string temporary = PartPath(path);
    if (std::fclose(file) != 0) failed = true;
    if (failed) {
        std::remove(temporary.c_str());
        throw BakeError("cannot write " + path + " (disk full?)");
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw BakeError("cannot replace " + path + ": " + std::strerror(errno));
    }
}

void Progress::Step(const std::string& what) {
    ++done;
    if (!quiet) std::printf("[%3d/%3d] %s\n", done, total, what.c_str()), std::fflush(stdout);
}

}  // namespace bake
