#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "capturerun.h"
#include "jpegwriter.h"
#include "scenewriter.h"
#include "workfolder.h"

using namespace testscene;

namespace {

// Runs the inspector from the folder the tests start in (where the programs are).
class SceneTool : public ::testing::Test {
protected:
    std::string program = (std::filesystem::current_path() / "heliotropic-scene").string();
    ScopedWorkFolder folder;

    void SetUp() override { ASSERT_EQ(access(program.c_str(), X_OK), 0) << "no " << program; }

    Outcome Tool(const std::string& arguments) { return RunCommand(program + " " + arguments + " 2>&1"); }
};

TestScene HandMade() {
    TestScene scene;
    scene.cameras.push_back({"Main", Vector(0, 1, -5), Vector(0, 0, 0)});
    scene.textures = {"tile.jpg", "gone.jpg"};
    scene.materials.push_back({"tiled", Vector(0, 0, 0), Vector(1, 1, 1), Vector(0, 0, 0), 0});
    scene.lights.push_back({"Key", Vector(0, 4, 0), Vector(1, 1, 1)});
    scene.lights.push_back({"F spark", Vector(1, 1, 1), Vector(1, 0.5f, 0)});
    scene.lights.push_back({"LF both", Vector(2, 2, 2), Vector(0, 0, 1)});
    scene.AddBox("crate", Vector(0, 0.5f, 0), Vector(1, 1, 1), 0);
    scene.tracks.push_back(ObjectPositionTrack(0, {{0, Vector(0, 0, 0)}, {10, Vector(10, 0, 0)}, {20, Vector(20, 0, 0)}}));
    scene.tracks.push_back(CameraEyeTrack(0, {{0, Vector(0, 0, 0)}, {10, Vector(5, 0, 0)}}));
    return scene;
}

TEST_F(SceneTool, InfoListsWhatTheLoaderBuilt) {
    ASSERT_TRUE(WriteFile("scenes/hand.3d", HandMade().Bytes()));
    ASSERT_TRUE(WriteJpeg("gfx/tile.jpg", 8, 8, [](int, int) { return 0x336699u; }));
    const Outcome run = Tool(folder.path + "/scenes/hand.3d --frame-scale 3");
    EXPECT_EQ(run.code, 2) << run.output;  // no command

    const Outcome info = Tool("info " + folder.path + "/scenes/hand.3d --frame-scale 3");
    EXPECT_EQ(info.code, 0) << info.output;
    for (const char* line : {"counts: cameras 1, vertices 8, faces 12, objects 1, textures 2, materials 1, lights 3",
                             "camera 0 \"Main\": eye (0, 1, -5) target (0, 0, 0)",
                             "object 0 \"crate\": vertices 0..8, faces 0..12, material 0, bounds min (-0.5, 0, -0.5) "
                             "max (0.5, 1, 0.5) centre (0, 0.5, 0)",
                             "texture 0 \"tile.jpg\": loaded, 8x8", "texture 1 \"gone.jpg\": not loaded",
                             "light 1 \"F spark\": kind F, slot -, position (1, 1, 1), colour (1, 0.5, 0)",
                             "light 2 \"LF both\": kind A, slot 1,", "track position 0: 3 keys, frames 0..60",
                             "track eye 0: 2 keys, frames 0..30", "frame count: 60"})
        EXPECT_NE(info.output.find(line), std::string::npos) << line << "\n" << info.output;
}

TEST_F(SceneTool, JsonHasTheDocumentedKeys) {
    ASSERT_TRUE(WriteFile("scenes/hand.3d", HandMade().Bytes()));
    const Outcome info = Tool("info scenes/hand.3d --json --flat");
    EXPECT_EQ(info.code, 0) << info.output;
    for (const char* text : {"\"counts\": {", "\"cameras\": [", "\"objects\": [", "\"textures\": [",
                             "\"materials\": [", "\"lights\": [", "\"tracks\": [", "\"frameCount\": 20",
                             "\"name\": \"gone.jpg\",\n      \"loaded\": false", "\"kind\": \"F\",\n      \"slot\": null",
                             "\"kind\": \"position\",\n      \"index\": 0,\n      \"keys\": 3,\n      \"firstFrame\": 0,\n"
                             "      \"lastFrame\": 20",
                             "\"colour\": [1, 0.5, 0]"})
        EXPECT_NE(info.output.find(text), std::string::npos) << text << "\n" << info.output;
}

// Names are raw bytes: neither the text nor the JSON may carry a terminal's escape codes or bytes
// that are not UTF-8.
TEST_F(SceneTool, NamesWithEscapeCodesAndStrayBytesAreEscaped) {
    TestScene scene = HandMade();
    scene.cameras[0].name = "cam\xff";
    scene.objects[0].name = "\x1b]0;owned\x07";
    scene.textures[0] = "t\xc2\x9b.jpg";
    scene.materials[0].name = "caf\xc3\xa9";
    scene.lights[0].name = "\x1b[2JKey";
    ASSERT_TRUE(WriteFile("scenes/odd.3d", scene.Bytes()));
    auto rawBytes = [](const std::string& output) {
        return output.find_first_of(std::string("\x1b\x07\xff\x9b", 4)) != std::string::npos;
    };

    const Outcome text = Tool("info scenes/odd.3d");
    EXPECT_EQ(text.code, 0) << text.output;
    EXPECT_FALSE(rawBytes(text.output)) << text.output;
    for (const char* shown : {"camera 0 \"cam\\xff\"", "object 0 \"\\x1b]0;owned\\x07\"",
                              "texture 0 \"t\\xc2\\x9b.jpg\"", "material 0 \"caf\\xc3\\xa9\"", "light 0 \"\\x1b[2JKey\""})
        EXPECT_NE(text.output.find(shown), std::string::npos) << shown << "\n" << text.output;

    const Outcome json = Tool("info scenes/odd.3d --json");
    EXPECT_EQ(json.code, 0) << json.output;
    EXPECT_FALSE(rawBytes(json.output)) << json.output;
    for (const char* escaped : {"\"cam\\u00ff\"", "\"\\u001b]0;owned\\u0007\"", "\"t\\u009b.jpg\"", "\"caf\xc3\xa9\"",
                                "\"\\u001b[2JKey\""})
        EXPECT_NE(json.output.find(escaped), std::string::npos) << escaped << "\n" << json.output;

    const Outcome validate = Tool("validate scenes/odd.3d");
    EXPECT_FALSE(rawBytes(validate.output)) << validate.output;
    EXPECT_NE(validate.output.find("texture \"t\\xc2\\x9b.jpg\" cannot be opened in"), std::string::npos) << validate.output;
}

TEST_F(SceneTool, SampleReadsTracksAndHoldsTheEnd) {
    ASSERT_TRUE(WriteFile("scenes/hand.3d", HandMade().Bytes()));
    Outcome run = Tool("sample scenes/hand.3d position 0 5");
    EXPECT_EQ(run.code, 0) << run.output;
    // The last line: the missing pictures are named on stderr before it.
    EXPECT_EQ(run.output.substr(run.output.rfind('\n', run.output.size() - 2) + 1), "5 0 0\n") << run.output;
    run = Tool("sample scenes/hand.3d eye 0 4294967295");
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_NE(run.output.find("4.5 0 0\n"), std::string::npos) << run.output;
    EXPECT_EQ(Tool("sample scenes/hand.3d scale 0 1").code, 1);
    EXPECT_EQ(Tool("sample scenes/hand.3d eye 10 1").code, 2);
    EXPECT_EQ(Tool("sample scenes/hand.3d wobble 0 1").code, 2);
    EXPECT_EQ(Tool("sample scenes/hand.3d eye 0 -1").code, 2);
}

TEST_F(SceneTool, ValidateReportsEveryProblemWithItsOffset) {
    TestScene good = HandMade();
    ASSERT_TRUE(WriteFile("scenes/good.3d", good.Bytes()));
    TestScene bad = HandMade();
    bad.faces[2][1] = 9;
    bad.tracks.push_back(CameraTargetTrack(0, {{3, Vector(0, 0, 0)}, {9, Vector(0, 0, 0)}}));
    ASSERT_TRUE(WriteFile("scenes/bad.3d", bad.Bytes()));
    std::vector<unsigned char> cut = good.Bytes();
    cut.resize(100);
    ASSERT_TRUE(WriteFile("scenes/cut.3d", cut));

    Outcome run = Tool("validate scenes/good.3d");
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_NE(run.output.find("scenes/good.3d: valid"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("note: texture \"tile.jpg\" cannot be opened in"), std::string::npos) << run.output;

    run = Tool("validate scenes/good.3d scenes/bad.3d scenes/cut.3d scenes/absent.3d");
    EXPECT_EQ(run.code, 1) << run.output;
    const std::string faceProblem = "scenes/bad.3d: offset " + std::to_string(bad.Sections().faces + 12) +
                                    ": error: face 2 uses vertex 9, past the 8 vertices";
    EXPECT_NE(run.output.find(faceProblem), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("warning: target track 0 starts at frame 3"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("scenes/cut.3d: offset 100: error: the file ends inside"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("scenes/absent.3d: cannot read"), std::string::npos) << run.output;

    // Loading a file the validator refuses fails the same way.
    run = Tool("info scenes/bad.3d");
    EXPECT_EQ(run.code, 1) << run.output;
    EXPECT_NE(run.output.find("face 2 uses vertex 9"), std::string::npos) << run.output;
}

TEST_F(SceneTool, HostileFilesAndTexturesAreReportedWithoutStopping) {
    ASSERT_EQ(mkdir("scenes/folder.3d", 0755), 0);
    ASSERT_EQ(mkfifo("scenes/fifo.3d", 0644), 0);
    ASSERT_EQ(symlink("loop.3d", "scenes/loop.3d"), 0);
    ASSERT_EQ(symlink("loop.jpg", "gfx/loop.jpg"), 0);
    ASSERT_EQ(mkdir("gfx/sub.jpg", 0755), 0);
    TestScene hostile = HandMade();
    hostile.textures = {"loop.jpg", "../../../root/x", "sub.jpg"};
    ASSERT_TRUE(WriteFile("scenes/hostile.3d", hostile.Bytes()));
    // What the loader degrades is still a problem to the validator, at its offset.
    TestScene degraded = HandMade();
    degraded.objects[0].material = 4;
    degraded.tracks.push_back(LightPositionTrack(300, {{0, Vector(0, 0, 0)}, {5, Vector(0, 0, 0)}}));
    ASSERT_TRUE(WriteFile("scenes/degraded.3d", degraded.Bytes()));

    Outcome run = Tool("validate scenes/folder.3d scenes/fifo.3d scenes/loop.3d scenes/hostile.3d scenes/degraded.3d");
    EXPECT_EQ(run.code, 1) << run.output;
    const size_t textures = hostile.Sections().textures;
    for (const std::string& line :
         {std::string("scenes/folder.3d: cannot read: it is a folder, not a file"),
          std::string("scenes/fifo.3d: cannot read: it is a FIFO, not a file"),
          std::string("scenes/loop.3d: cannot read: Too many levels of symbolic links"), std::string("scenes/hostile.3d: valid"),
          "scenes/hostile.3d: offset " + std::to_string(textures) + ": note: texture \"loop.jpg\" cannot be opened",
          "scenes/hostile.3d: offset " + std::to_string(textures + TextureRecordSize) +
              ": note: texture \"../../../root/x\" is not a file name inside gfx",
          "scenes/hostile.3d: offset " + std::to_string(textures + 2 * TextureRecordSize) + ": note: texture \"sub.jpg\" cannot be opened",
          "scenes/degraded.3d: offset " + std::to_string(degraded.Sections().objects + ObjectMaterialAt) +
              ": warning: object 0 uses material 4",
          "scenes/degraded.3d: offset " + std::to_string(degraded.Sections().tracks + (7 + 3 * KeyRecordSize) + (5 + 2 * KeyRecordSize) + 1) +
              ": warning: light track for index 300"})
        EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;

    run = Tool("info scenes/hostile.3d");
    EXPECT_EQ(run.code, 0) << run.output;
    EXPECT_NE(run.output.find("texture 1 \"../../../root/x\": not loaded"), std::string::npos) << run.output;
    run = Tool("info scenes/degraded.3d");
    EXPECT_EQ(run.code, 0) << run.output;
    run = Tool("info scenes/folder.3d");
    EXPECT_EQ(run.code, 1) << run.output;
    EXPECT_NE(run.output.find("it is a folder"), std::string::npos) << run.output;
}

TEST_F(SceneTool, BadArgumentsGiveUsage) {
    for (const char* arguments : {"", "info", "info a.3d b.3d", "info a.3d --frame-scale", "info a.3d --frame-scale 0",
                                  "info a.3d --frame-scale x", "validate", "validate a.3d --json", "jump a.3d",
                                  "info a.3d --loud"}) {
        const Outcome run = Tool(arguments);
        EXPECT_EQ(run.code, 2) << arguments << "\n" << run.output;
        EXPECT_NE(run.output.find("usage:"), std::string::npos) << arguments;
    }
    const Outcome missing = Tool("info absent.3d");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.output.find("absent.3d: cannot open"), std::string::npos) << missing.output;
}

}  // namespace
