#include "pendingfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

PendingFile::~PendingFile() { Discard(); }

void PendingFile::Begin(const std::string& path) {
    Discard();
    finalPath = path;
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    partialPath = path + ".part" + (hasExtension ? path.substr(dot) : "");
}

bool PendingFile::Commit(std::string& error) {
    if (!Active()) return false;
    if (std::rename(partialPath.c_str(), finalPath.c_str()) != 0) {
        error = "cannot name the finished " + finalPath + ": " + std::strerror(errno);
        Discard();
        return false;
    }
    finalPath.clear();
    partialPath.clear();
    return true;
}

void PendingFile::Discard() {
    if (!Active()) return;
    std::remove(partialPath.c_str());
    finalPath.clear();
    partialPath.clear();
}
