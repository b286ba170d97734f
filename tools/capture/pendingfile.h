// An output file written under a temporary name beside its real one and renamed over it only
// when complete, as the PNG writer and the baker do: a failed run leaves an earlier file under
// the real name untouched and no partial file behind.
#pragma once

#include <string>

class PendingFile {
public:
    PendingFile() = default;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    // Whatever was written and not committed is removed.
    ~PendingFile();

    // Starts a pending output for path (nothing is created yet). The temporary name keeps the
    // real name's extension, as programs such as ffmpeg pick the format from it.
    void Begin(const std::string& path);
    bool Active() const { return !finalPath.empty(); }
    const std::string& FinalPath() const { return finalPath; }
    const std::string& PartialPath() const { return partialPath; }

    // Renames the written file over the real name; false with the reason when it cannot.
    bool Commit(std::string& error);
    // Removes what was written.
    void Discard();

private:
    std::string finalPath;
    std::string partialPath;
};
