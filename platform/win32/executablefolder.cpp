#include <platform/executablefolder.h>

#include <unistd.h>

#include <climits>

namespace platform {

std::string ExecutableFolder(const char* argument0) {
    std::string path;
    char link[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", link, sizeof link - 1);
    if (length > 0) path.assign(link, static_cast<size_t>(length));
    else if (argument0 != nullptr) path = argument0;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    path.resize(slash == 0 ? 1 : slash);
    return path;
}

}  // namespace platform
