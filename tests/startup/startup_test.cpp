// The whole start-up on the virtual display with scripted dialogs: what is drawn, in which
// order, what is loaded and how each failure ends it.
#include <gtest/gtest.h>

#include <platform/audiooutput.h>
#include <platform/devicetrace.h>
#include <platform/dialogrunner.h>
#include <platform/dialogscript.h>
#include <platform/executablefolder.h>
#include <platform/virtualdisplay.h>
#include <platform/musicclock.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "devicedriver.h"
#include "globals.h"
#include "main.h"
#include "music.h"
#include "renderdevice.h"
#include "setupdialog.h"
#include "showmusic.h"
#include "workfolder.h"

// The show never releases its pictures (on its own platform DirectDraw frees every surface at
// exit) and start-up runs many times in this program: what each run keeps is not a leak to report.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

namespace {

// The software device once more, but describing itself with 256-texel textures at most, as an
// old card would: everything else goes to the real device.
constexpr DWORD SmallTextureSide = 256;

class SmallTextureDevice final : public IDirect3DDevice7 {
public:
    explicit SmallTextureDevice(IDirect3DDevice7* inner) : inner(inner) {}
    HRESULT QueryInterface(REFIID id, LPVOID* object) override { return inner->QueryInterface(id, object); }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) {
            inner->Release();
            delete this;
        }
        return left;
    }
    HRESULT GetCaps(LPD3DDEVICEDESC7 description) override {
        const HRESULT result = inner->GetCaps(description);
        description->dwMaxTextureWidth = description->dwMaxTextureHeight = SmallTextureSide;
        return result;
    }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override {
        return inner->EnumTextureFormats(callback, context);
    }
    HRESULT BeginScene() override { return inner->BeginScene(); }
    HRESULT EndScene() override { return inner->EndScene(); }
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7 surface, DWORD flags) override {
        return inner->SetRenderTarget(surface, flags);
    }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* surface) override { return inner->GetRenderTarget(surface); }
    HRESULT Clear(DWORD count, LPD3DRECT rects, DWORD flags, D3DCOLOR colour, D3DVALUE z, DWORD stencil) override {
        return inner->Clear(count, rects, flags, colour, z, stencil);
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) override {
        return inner->SetTransform(type, matrix);
    }
    HRESULT SetViewport(LPD3DVIEWPORT7 viewport) override { return inner->SetViewport(viewport); }
    HRESULT SetMaterial(LPD3DMATERIAL7 material) override { return inner->SetMaterial(material); }
    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override { return inner->SetLight(index, light); }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        return inner->SetRenderState(state, value);
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, LPVOID vertices, DWORD count, DWORD flags) override {
        return inner->DrawPrimitive(type, format, vertices, count, flags);
    }
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE type, LPDIRECT3DVERTEXBUFFER7 buffer, DWORD start, DWORD count,
                                   LPWORD indices, DWORD indexCount, DWORD flags) override {
        return inner->DrawIndexedPrimitiveVB(type, buffer, start, count, indices, indexCount, flags);
    }
    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) override { return inner->SetTexture(stage, texture); }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) override {
        return inner->SetTextureStageState(stage, state, value);
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override { return inner->LightEnable(index, enable); }

private:
    ~SmallTextureDevice() = default;
    IDirect3DDevice7* inner;
    ULONG references = 1;
};

void DescribeSmall(D3DDEVICEDESC7* description) {
    softwareDeviceRecord.describe(description);
    description->dwMaxTextureWidth = description->dwMaxTextureHeight = SmallTextureSide;
}
IDirect3DDevice7* CreateSmall(IDirect3D7* direct3D, IDirectDrawSurface7* target) {
    IDirect3DDevice7* inner = softwareDeviceRecord.create(direct3D, target);
    return inner ? new SmallTextureDevice(inner) : nullptr;
}
const GUID SmallGuid = {0x5a5a5a5a, 0x1234, 0x5678, {9, 8, 7, 6, 5, 4, 3, 2}};
// The formats are the real device's, filled in when the suite starts.
DeviceDriverRecord smallTextureDevice = {
    "Small Textures", "software device with 256-texel textures", &SmallGuid, DescribeSmall, nullptr, nullptr,
    CreateSmall, nullptr};
constexpr int LargeTextureDeviceIndex = 0;
constexpr int SmallTextureDeviceIndex = 1;

// What the audio library's start found when it came.
struct AudioStart {
    bool called = false;
    int framesBefore = 0;
    bool everySceneLoaded = false;
    bool everyImageLoaded = false;
    bool particlesFilled = false;
};

struct Observed {
    std::vector<float> frameLevels;  // light 0's diffuse level of each presented frame
    float currentLevel = -1.0f;
    bool sceneLoadedBeforeFadeInEnded = false;
    AudioStart audio;
    int messageBoxes = 0;
    std::vector<std::pair<DWORD, DWORD>> statesBeforeFirstFrame;  // SetRenderState state, value
} observed;

Scene* const LaterScenes[] = {&etest2Scene, &bboxyScene,  &etest4Scene, &dacodeScene, &rokiScene, &compeScene,
                              &binaryScene, &humanusScene, &humanusFlatScene, &laitScene, &liteScene,
                              &cubaScene,   &humanuScene,  &tribesScene, &kingScene,   &cubikiScene, &cubikScene,
                              &alienScene};
LPDIRECTDRAWSURFACE7* const Images[] = {
    &loadingTexture, &tessik2Texture, &visionTexture, &suspTexture,  &keyTexture,    &freedomTexture,
    &youareTexture,  &wire2Texture,   &changeTexture, &endTexture,   &end1Texture,   &end2Texture,
    &skellTexture,   &ravmoorTexture, &pellinTexture, &mendrowTexture, &tessikTexture, &quorvelTexture,
    &codeTexture,    &musicTexture,   &art2dTexture,  &art3dTexture};

bool AnyLaterSceneLoaded() {
    for (Scene* scene : LaterScenes)
        if (scene->objectCount > 0) return true;
    return false;
}

const char* NameOf(IDirectDrawSurface7* texture) {
    const char* name = platform::TextureName(texture);
    return name ? name : "(none)";
}

// The virtual music clock, noting what the audio library's start found when it came.
bool OpenWatchedClock(long frequency, std::string& error) {
    AudioStart& audio = observed.audio;
    audio.called = true;
    audio.framesBefore = static_cast<int>(observed.frameLevels.size());
    audio.everySceneLoaded = etestScene.objectCount > 0;
    for (Scene* scene : LaterScenes) audio.everySceneLoaded = audio.everySceneLoaded && scene->objectCount > 0;
    audio.everyImageLoaded = billboard.texture != nullptr;
    for (LPDIRECTDRAWSURFACE7* image : Images) audio.everyImageLoaded = audio.everyImageLoaded && *image != nullptr;
    audio.particlesFilled = particleField[ParticleCount - 1].size > 0.0f;
    return platform::virtualClockOutput.open(frequency, error);
}
DWORD WatchedClockPosition(DWORD stream) { return platform::virtualClockOutput.position(stream); }
void CloseWatchedClock() { platform::virtualClockOutput.close(); }
const platform::AudioOutputRecord watchedClock = {"watched virtual clock", [] { return true; }, OpenWatchedClock,
                                                  WatchedClockPosition, CloseWatchedClock};
// An output that cannot be opened, as on a machine whose sound device is taken.
bool RefuseToOpen(long, std::string& error) {
    error = "the test's output refuses";
    return false;
}
const platform::AudioOutputRecord refusingOutput = {"refusing output", [] { return true; }, RefuseToOpen,
                                                    WatchedClockPosition, CloseWatchedClock};

// Scripted dialogs whose message boxes are counted.
INT_PTR RunScriptedDialog(platform::DialogBox& box, LPARAM initParam) {
    return platform::scriptedDialogs.run(box, initParam);
}
int CountedMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    ++observed.messageBoxes;
    return platform::scriptedDialogs.message(owner, text, caption, type);
}
const platform::DialogRunnerRecord countingDialogs = {"counting scripted dialogs", [] { return true; },
                                                      RunScriptedDialog, CountedMessageBox};

const DeviceDriverRecord* const startupDrivers[] = {&softwareDeviceRecord, &smallTextureDevice, nullptr};

class Startup : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The small device borrows the real one's formats and drawing.
        DeviceDriverRecord& small = smallTextureDevice;
        small.textureFormats = softwareDeviceRecord.textureFormats;
        small.zBufferFormats = softwareDeviceRecord.zBufferFormats;
        platform::UseDeviceDrivers(startupDrivers);
        platform::UseVirtualDisplay(320, 240, [](const platform::FrameImage&) {
            observed.frameLevels.push_back(observed.currentLevel);
            if (observed.frameLevels.size() <= 101 && AnyLaterSceneLoaded())
                observed.sceneLoadedBeforeFadeInEnded = true;
        });
    }

    void SetUp() override {
        data = platform::ExecutableFolder(nullptr);
        if (!std::filesystem::exists(data + "/scenes/etest.3d") || !std::filesystem::exists(data + "/gfx/key.jpg"))
            GTEST_FAIL() << "the baked show data is missing beside " << data << " (build the bake-data target)";
        observed = Observed();
        platform::SetDeviceRasterising(false);
        platform::SetTraceSink([](const platform::TraceRecord& record) {
            if (record.call == "SetLight" && record.Find("index")->Number() == 0)
                observed.currentLevel = static_cast<float>(record.Find("light.diffuse")->Number(0));
            if (record.call == "SetRenderState" && observed.frameLevels.empty())
                observed.statesBeforeFirstFrame.emplace_back(static_cast<DWORD>(record.Find("state")->Number()),
                                                             static_cast<DWORD>(record.Find("value")->Number()));
        });
    }

    void TearDown() override {
        platform::SetTraceSink(nullptr);
        platform::SetDeviceRasterising(true);
        platform::StopScriptingDialogs();
        // Nothing of this run may pass for the next run's work.
        etestScene.Free();
        for (Scene* scene : LaterScenes) scene->Free();
        for (LPDIRECTDRAWSURFACE7* image : Images) *image = nullptr;
        billboard.texture = nullptr;
        memset(particleField, 0, sizeof particleField);
        if (renderDevice.device) renderDevice.Destroy();  // also frees the audio library
        else BASS_Free();
        if (renderDevice.window) DestroyWindow(renderDevice.window);
        renderDevice = RenderDevice();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // A work folder holding the baked scenes and images (less the ones left out) and a short
    // silent music file unless the music is left out.
    void PrepareData(const std::vector<std::string>& leftOut = {}, bool withMusic = true) {
        folder.reset();  // back in the first working folder before the next one is made
        folder.reset(new ScopedWorkFolder());
        for (const char* kind : {"gfx", "scenes"}) {
            for (const auto& entry : std::filesystem::directory_iterator(data + "/" + kind)) {
                const std::string name = entry.path().filename().string();
                bool skip = false;
                for (const std::string& left : leftOut) skip = skip || left == name;
                if (!skip) std::filesystem::create_symlink(entry.path(), folder->path + "/" + kind + "/" + name);
            }
        }
        if (withMusic) {
            ASSERT_FALSE(WriteSilentShowMusic(folder->path).empty());
        }
    }

    int RunStartup(std::vector<platform::DialogAction> actions) {
        platform::ScriptDialogs(std::move(actions));
        platform::UseDialogRunner(&countingDialogs);
        platform::UseAudioOutput(audioOutput);
        return ::Startup(nullptr, SW_SHOWDEFAULT);
    }

    static std::vector<platform::DialogAction> StartOn(int device) {
        return {platform::SelectItem(DeviceListControl, device), platform::PressButton(IDOK)};
    }

    std::string data;
    std::unique_ptr<ScopedWorkFolder> folder;
    const platform::AudioOutputRecord* audioOutput = &watchedClock;
};

TEST_F(Startup, LoadsEverythingBehindTheLoadingScreenThenStartsTheMusic) {
    PrepareData();
    ASSERT_EQ(RunStartup(StartOn(LargeTextureDeviceIndex)), 1);
    EXPECT_TRUE(platform::MusicPlaying());
    EXPECT_EQ(observed.messageBoxes, 0);

    // Fade-in and fade-out, 101 frames each, light 0 stepping by a hundredth.
    ASSERT_EQ(observed.frameLevels.size(), 202u);
    const std::vector<float>& level = observed.frameLevels;
    EXPECT_EQ(level[0], 0.0f);
    EXPECT_LT(level[100], 1.0f);
    EXPECT_GT(level[100], 0.99f);
    EXPECT_EQ(level[101], 1.0f);
    EXPECT_GT(level[201], 0.0f);
    EXPECT_LT(level[201], 0.01f);
    for (size_t i = 1; i < level.size(); ++i) {
        if (i == 101) continue;
        EXPECT_NEAR(std::abs(level[i] - level[i - 1]), 0.01f, 1e-5f) << "frame " << i;
        EXPECT_EQ(level[i] > level[i - 1], i < 101) << "frame " << i;
    }

    // The loading screen is up before the rest loads; the audio library only after all of it.
    EXPECT_FALSE(observed.sceneLoadedBeforeFadeInEnded);
    ASSERT_TRUE(observed.audio.called);
    EXPECT_EQ(observed.audio.framesBefore, 101);
    EXPECT_TRUE(observed.audio.everySceneLoaded);
    EXPECT_TRUE(observed.audio.everyImageLoaded);
    EXPECT_TRUE(observed.audio.particlesFilled);

    // The flat figure's copy: three unit-normal vertices per face.
    ASSERT_NE(figureCopy, nullptr);
    ASSERT_GT(humanusFlatScene.faceCount, 0);
    for (int i = 0; i < humanusFlatScene.faceCount * 3; ++i) {
        const DrawVertex& v = figureCopy[i];
        EXPECT_NEAR(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz, 1.0f, 1e-4f) << "vertex " << i;
    }
    // The second humanus load is the flat one; humanu.3d's lights went to cuba.3d's set.
    EXPECT_EQ(humanusFlatScene.flatMesh, 1);
    EXPECT_EQ(humanuLights.lightCount, 0);
    EXPECT_GT(cubaLights.lightCount, 0);
}

TEST_F(Startup, ImageVariantsFollowTheDevicesTextureLimit) {
    struct Case {
        int device;
        int smallTextures;
        std::vector<std::pair<LPDIRECTDRAWSURFACE7*, const char*>> expected;
    };
    const Case cases[] = {
        {SmallTextureDeviceIndex,
         1,
         {{&loadingTexture, "loading.jpg"}, {&visionTexture, "vision.jpg"}, {&suspTexture, "susp.jpg"},
          {&keyTexture, "key.jpg"}, {&freedomTexture, "freedom.jpg"}, {&changeTexture, "change.jpg"},
          {&endTexture, "end.jpg"}, {&end1Texture, "end1.jpg"}, {&end2Texture, "end2.jpg"},
          {&tessik2Texture, "tessik2.jpg"}, {&art3dTexture, "art3d.jpg"}}},
        {LargeTextureDeviceIndex,
         0,
         {{&loadingTexture, "load512.jpg"}, {&visionTexture, "visi512.jpg"}, {&suspTexture, "susp512.jpg"},
          {&keyTexture, "key512.jpg"}, {&freedomTexture, "free512.jpg"}, {&changeTexture, "chan512.jpg"},
          {&endTexture, "end512.jpg"}, {&end1Texture, "end1512.jpg"}, {&end2Texture, "end2512.jpg"},
          {&tessik2Texture, "tessik2.jpg"}, {&art3dTexture, "art3d.jpg"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("device " + std::to_string(c.device));
        PrepareData();
        ASSERT_EQ(RunStartup(StartOn(c.device)), 1);
        EXPECT_EQ(renderDevice.smallTextures, c.smallTextures);
        for (const auto& [texture, name] : c.expected) EXPECT_STREQ(NameOf(*texture), name);
        // bboxy.3d shows the key picture whichever file it came from.
        EXPECT_EQ(bboxyScene.textures[0], keyTexture);
        TearDown();
        SetUp();
    }
}

TEST_F(Startup, MissingKeyPictureLeavesBboxysFirstTextureEmpty) {
    PrepareData({"key.jpg"});
    ASSERT_EQ(RunStartup(StartOn(SmallTextureDeviceIndex)), 1);
    EXPECT_EQ(keyTexture, nullptr);
    EXPECT_EQ(bboxyScene.textures[0], nullptr);
    EXPECT_NE(visionTexture, nullptr);  // the other pictures still load
}

TEST_F(Startup, WithoutAnySceneOrPictureTheShowStillStarts) {
    PrepareData();
    for (const char* kind : {"gfx", "scenes"})
        for (const auto& entry : std::filesystem::directory_iterator(folder->path + "/" + kind))
            std::filesystem::remove(entry.path());
    ASSERT_EQ(RunStartup(StartOn(LargeTextureDeviceIndex)), 1);
    EXPECT_EQ(observed.frameLevels.size(), 202u);
    EXPECT_EQ(loadingTexture, nullptr);
    EXPECT_EQ(humanusFlatScene.faceCount, 0);
    EXPECT_TRUE(platform::MusicPlaying());
}

TEST_F(Startup, MissingMusicEndsAfterTheFadeInWithoutFadingOut) {
    PrepareData({}, false);
    EXPECT_EQ(RunStartup(StartOn(LargeTextureDeviceIndex)), 0);
    EXPECT_TRUE(observed.audio.called);
    EXPECT_EQ(observed.frameLevels.size(), 101u);
    EXPECT_FALSE(platform::MusicPlaying());
}

TEST_F(Startup, AnAudioOutputThatCannotOpenEndsTheProcessWithTheLibrarysMessage) {
    PrepareData();
    audioOutput = &refusingOutput;
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunStartup(StartOn(LargeTextureDeviceIndex)), ::testing::ExitedWithCode(0),
                "Bass ERROR!!!: Can't initialize device");
}

TEST_F(Startup, ExitInTheDialogEndsSilentlyBeforeAnyDevice) {
    PrepareData();
    EXPECT_EQ(RunStartup({platform::PressButton(IDCANCEL)}), 0);
    EXPECT_EQ(observed.messageBoxes, 0);
    EXPECT_TRUE(observed.frameLevels.empty());
    EXPECT_EQ(renderDevice.device, nullptr);
    EXPECT_FALSE(observed.audio.called);
}

TEST_F(Startup, DialogOptionsBecomeTheDitherAndPerspectiveStates) {
    struct Case {
        bool ticked;
        DWORD expected;
    };
    for (const Case c : {Case{false, 0}, Case{true, 1}}) {
        SCOPED_TRACE(c.ticked ? "ticked" : "unticked");
        PrepareData();
        ASSERT_EQ(RunStartup({platform::SetCheck(PerspectiveCorrectionControl, c.ticked),
                              platform::SetCheck(DitheringControl, c.ticked), platform::PressButton(IDOK)}),
                  1);
        // The last word on each state before anything is drawn is the dialog's.
        DWORD dither = 99, perspective = 99;
        for (const auto& [state, value] : observed.statesBeforeFirstFrame) {
            if (state == D3DRENDERSTATE_DITHERENABLE) dither = value;
            if (state == D3DRENDERSTATE_TEXTUREPERSPECTIVE) perspective = value;
        }
        EXPECT_EQ(dither, c.expected);
        EXPECT_EQ(perspective, c.expected);
        TearDown();
        SetUp();
    }
}

}  // namespace
