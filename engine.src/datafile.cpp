#include "datafile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

// Why a path that stat() describes is not a data file, or null when it is one.
const char* NotAFile(const struct stat& status) {
    if (S_ISREG(status.st_mode)) return nullptr;
    if (S_ISDIR(status.st_mode)) return "it is a folder, not a file";
    if (S_ISFIFO(status.st_mode)) return "it is a FIFO, not a file";
    return "it is not a regular file";
}

}  // namespace

FILE* OpenDataFile(const char* path, std::string& problem) {
    // Looked at before opening: opening a FIFO for reading waits for a writer that never comes.
    struct stat status;
    if (stat(path, &status) != 0) {
        problem = strerror(errno);
        return nullptr;
    }
    if (const char* reason = NotAFile(status)) {
        problem = reason;
        return nullptr;
    }
    FILE* file = fopen(path, "rb");
    if (!file) {
        problem = strerror(errno);
        return nullptr;
    }
    // The path may have been replaced in between; what was opened is what counts.
    const char* reason = fstat(fileno(file), &status) != 0 ? strerror(errno) : NotAFile(status);
    if (reason) {
        problem = reason;
        fclose(file);
        return nullptr;
    }
    return file;
}

int ReadDataFile(const char* path, std::vector<unsigned char>& bytes, std::string& problem) {
    bytes.clear();
    FILE* file = OpenDataFile(path, problem);
    if (!file) return 0;
    // The size is only a hint: the file is read to its end, whatever it says.
    struct stat status;
    if (fstat(fileno(file), &status) == 0 && status.st_size > 0 &&
        static_cast<unsigned long long>(status.st_size) <= MaxDataFileSize)
        bytes.reserve(static_cast<size_t>(status.st_size));
    unsigned char chunk[1 << 16];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > MaxDataFileSize) {
            problem = "it is larger than " + std::to_string(MaxDataFileSize >> 20) + " MiB";
            fclose(file);
            bytes.clear();
            return 0;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    const bool failed = ferror(file);
    const int error = errno;
    fclose(file);
    if (failed) {
        problem = strerror(error ? error : EIO);
        bytes.clear();
        return 0;
    }
    return 1;
}

bool IsPlainFileName(const char* name) {
    if (!name || !*name || strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return false;
    return strpbrk(name, "/\\") == nullptr;
}

std::string ShownFileName(const std::string& name) {
    std::string shown;
    for (const unsigned char c : name) {
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
    }
    return shown;
}
