// One fixture for tests of the show's frames: the show's own render device on a small virtual
// display, recording only (every call reaches `recorder`, nothing is rasterised), the music on
// the virtual clock, every scene slot and segment counter cleared, and the texture variables
// holding small textures named after their image files ("key.jpg" in keyTexture).
#pragma once

#include <gtest/gtest.h>

#include <d3d.h>

#include <string>
#include <vector>

#include "callrecorder.h"
#include "scene.h"

// The show's render device (renderDevice) made as the show makes it, on the first device in
// the virtual display's own mode at this depth. Call after UseVirtualDisplay.
void CreateShowDevice(DWORD width, DWORD bits);

class ShowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // One director frame at the music position; the calls of earlier frames are dropped. Each
    // frame the display shows adds a "Present" record after the frame's device calls.
    void FrameAt(DWORD position);
    // The clocks as if the previous frame had read position and left frameClock at clock with no
    // delta: the next frame at p then has that clock and frameDelta = (p - position) / 173800.
    void Prime(DWORD position, float clock);

    // The scenes of the first four segments (etest ... lait) as one face each, untextured, lit by
    // one device light, seen by cameras 10 units in front of the origin, identity view and
    // projection; each tells its draws apart by its material's power.
    void FillScenes();
    // Every scene slot and light set empty, every texture variable null.
    void ClearScenesAndTextures();
    // The short name of the filled scene a draw came from; "flare" for any other draw.
    static std::string SceneName(const RecordedDraw& draw);
    std::vector<std::string> DrawnScenes() const;

    // A vertex buffer for scenes that draw indexed; what it holds is never read.
    static LPDIRECT3DVERTEXBUFFER7 vertexBuffer;
    CallRecorder recorder;
};

// The first four segments' tests start from the filled scenes.
class FilledShowTest : public ShowTest {
protected:
    void SetUp() override {
        ShowTest::SetUp();
        FillScenes();
    }
};
