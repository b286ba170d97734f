#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <vector>

#include "baked.h"

namespace {
std::vector<std::string> FilesUnder(const std::string& folder, const std::string& prefix = "") {
    std::vector<std::string> files;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return files;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string path = folder + "/" + name;
        std::vector<std::string> inner = FilesUnder(path, prefix + name + "/");
        if (inner.empty() && opendir(path.c_str()) == nullptr) files.push_back(prefix + name);
        files.insert(files.end(), inner.begin(), inner.end());
    }
    closedir(dir);
    return files;
}
}  // namespace

TEST(Bake, TwoRunsWriteIdenticalBytes) {
    ASSERT_FALSE(BakedFolder().empty());
    std::string second = BakeInto("again");
    ASSERT_FALSE(second.empty()) << "the second bake failed";
    // Only the data folders: the build's bake sits beside the programs.
    std::vector<std::string> first, other;
    for (const std::string sub : {"gfx", "scenes", "music"}) {
        std::vector<std::string> a = FilesUnder(BakedFolder() + "/" + sub, sub + "/");
        std::vector<std::string> b = FilesUnder(second + "/" + sub, sub + "/");
        first.insert(first.end(), a.begin(), a.end());
        other.insert(other.end(), b.begin(), b.end());
    }
    ASSERT_FALSE(first.empty());
    std::sort(first.begin(), first.end());
    std::sort(other.begin(), other.end());
    EXPECT_EQ(first, other);
    for (const std::string& file : first)
        EXPECT_TRUE(ReadBytes(BakedFolder() + "/" + file) == ReadBytes(second + "/" + file)) << file << " differs";
}

TEST(Bake, RefusesAMissingOutputFolderArgument) {
    std::string command = std::string("\"") + BAKE_PROGRAM + "\" >/dev/null 2>&1";
    EXPECT_NE(std::system(command.c_str()), 0);
}

TEST(Bake, ReportsAnUnwritableFolderAsAnError) {
    std::string command = std::string("\"") + BAKE_PROGRAM + "\" --quiet /proc/heliotropic-cannot-write 2>/dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
}
