#include <gtest/gtest.h>

#include "baked.h"
#include "scenefile.h"

// The show's own parser takes every baked scene as it is: nothing refused, nothing degraded.
TEST(BakedScenes, TheShowsParserTakesEveryFileWithoutAComplaint) {
    const struct { const char* file; float scale; int flat; } loads[] = {
        {"etest.3d", 4.0f, 0},   {"etest2.3d", 7.0f, 0}, {"bboxy.3d", 3.0f, 0},   {"etest4.3d", 4.0f, 0},
        {"dacode.3d", 4.0f, 0},  {"roki.3d", 4.0f, 0},   {"compe.3d", 3.2f, 0},   {"binary.3d", 6.0f, 0},
        {"humanus.3d", 6.0f, 0}, {"humanus.3d", 6.0f, 1}, {"lait.3d", 6.0f, 0},   {"lite.3d", 6.0f, 0},
        {"cuba.3d", 6.0f, 0},    {"humanu.3d", 6.0f, 0}, {"tribes.3d", 6.0f, 0},  {"king.3d", 6.0f, 0},
        {"cubiki.3d", 6.0f, 0},  {"cubik.3d", 6.0f, 0},  {"alien_1.3d", 6.0f, 0},
    };
    ASSERT_FALSE(BakedFolder().empty());
    for (const auto& load : loads) {
        std::vector<uint8_t> bytes = ReadBytes(BakedFolder() + "/scenes/" + load.file);
        ASSERT_FALSE(bytes.empty()) << load.file;
        SceneFile file;
        EXPECT_EQ(ParseSceneFile(bytes.data(), bytes.size(), load.scale, load.flat, file), 1) << load.file;
        for (const SceneFileProblem& problem : file.problems)
            ADD_FAILURE() << load.file << " at byte " << problem.offset << ": " << problem.message;
    }
}
