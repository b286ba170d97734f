// The live show's settings as the file and the environment give them, and the computations every
// presentation path shares: pacing and the overlay's text.
#include <gtest/gtest.h>

#include <platform/livesettings.h>
#include <platform/presentation.h>

#include <fstream>
#include <map>
#include <sstream>

namespace {

using Environment = std::map<std::string, std::string>;

struct Parsed {
    std::string settings;
    std::vector<std::string> problems;
};

Parsed Parse(const std::string& file, const Environment& environment = {}) {
    Parsed parsed;
    const platform::LiveSettings settings = platform::ParseLiveSettings(
        file,
        [&](const char* name) {
            const auto found = environment.find(name);
            return found == environment.end() ? nullptr : found->second.c_str();
        },
        parsed.problems);
    std::ostringstream text;
    text << "windowed=" << settings.windowed << " scaling=" << static_cast<int>(settings.scaling)
         << " vsync=" << settings.vsync << " cap=" << settings.frameRateCap << " overlay=" << settings.overlay
         << " device=" << static_cast<int>(settings.firstDevice);
    parsed.settings = text.str();
    return parsed;
}

const std::string Defaults = "windowed=0 scaling=0 vsync=1 cap=0 overlay=0 device=2";

}  // namespace

TEST(LiveSettings, EachSettingTakesItsValuesAndABadOneIsNamedAndLeftAtItsDefault) {
    struct Case {
        std::string file;
        Environment environment;
        std::string settings;
        std::vector<std::string> problems;
    };
    const Case cases[] = {
        {"", {}, Defaults, {}},
        {"; comment\n# another\n\nwindowed = on\r\nScaling = Integer\nvsync=off\n  frame_rate_cap = 144  \noverlay = yes\n"
         "device = hardware\n",
         {},
         "windowed=1 scaling=2 vsync=0 cap=144 overlay=1 device=1",
         {}},
        {"scaling = nearest\nframe_rate_cap = 1000\nframe_rate_cap = none\ndevice = software\n", {},
         "windowed=0 scaling=1 vsync=1 cap=0 overlay=0 device=0", {}},
        {"scaling = fuzzy\n", {}, Defaults, {"heliotropic.ini line 1: scaling = fuzzy is not linear, nearest or integer; using linear"}},
        {"windowed = on\nwindowed = maybe\n", {}, Defaults, {"heliotropic.ini line 2: windowed = maybe is not on or off; using off"}},
        {"frame_rate_cap = 1001\nframe_rate_cap = 60.5\nframe_rate_cap = -5\nframe_rate_cap = 99999999999\nframe_rate_cap =\n",
         {},
         Defaults,
         {"heliotropic.ini line 1: frame_rate_cap = 1001 is not off or a number of frames a second from 1 to 1000; using off",
          "heliotropic.ini line 2: frame_rate_cap = 60.5 is not off or a number of frames a second from 1 to 1000; using off",
          "heliotropic.ini line 3: frame_rate_cap = -5 is not off or a number of frames a second from 1 to 1000; using off",
          "heliotropic.ini line 4: frame_rate_cap = 99999999999 is not off or a number of frames a second from 1 to 1000; using off",
          "heliotropic.ini line 5: frame_rate_cap = \"\" is not off or a number of frames a second from 1 to 1000; using off"}},
        {"device = gpu\x07\n[display]\nscale = 2\n",
         {},
         Defaults,
         {"heliotropic.ini line 1: device = gpu\\x07 is not auto, software or hardware; using auto",
          "heliotropic.ini line 2: \"[display]\" is not \"name = value\"",
          "heliotropic.ini line 3: \"scale\" is not a setting (windowed, scaling, vsync, frame_rate_cap, overlay, device)"}},
        // The environment overrides the file; a bad value there gives the default, not the file's value.
        {"scaling = integer\nvsync = off\n",
         {{"HELIOTROPIC_SCALING", "nearest"}, {"HELIOTROPIC_VSYNC", "sometimes"}, {"HELIOTROPIC_FRAME_RATE_CAP", "30"},
          {"HELIOTROPIC_WINDOWED", "1"}, {"HELIOTROPIC_OVERLAY", "true"}, {"HELIOTROPIC_DEVICE", "Hardware"}},
         "windowed=1 scaling=1 vsync=1 cap=30 overlay=1 device=1",
         {"HELIOTROPIC_VSYNC=sometimes is not on or off; using on"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.file);
        const Parsed parsed = Parse(test.file, test.environment);
        EXPECT_EQ(parsed.settings, test.settings);
        EXPECT_EQ(parsed.problems, test.problems);
    }
}

TEST(LiveSettings, TheShippedFileHoldsEverySettingAtItsDefault) {
    std::ifstream file(SHIPPED_SETTINGS_FILE);
    ASSERT_TRUE(file) << SHIPPED_SETTINGS_FILE;
    std::ostringstream text;
    text << file.rdbuf();
    const Parsed parsed = Parse(text.str());
    EXPECT_EQ(parsed.settings, Defaults);
    EXPECT_TRUE(parsed.problems.empty()) << parsed.problems.front();
    for (const char* name : {"windowed", "scaling", "vsync", "frame_rate_cap", "overlay", "device"})
        EXPECT_NE(text.str().find(std::string("\n") + name + " = "), std::string::npos) << name;
}

TEST(Presentation, FramesArePacedToTheRefreshOrTheCapOnASteadyBeat) {
    platform::LiveSettings settings;
    EXPECT_EQ(platform::FramePeriodNs(settings, 50, false), 20000000u);
    EXPECT_EQ(platform::FramePeriodNs(settings, 0, false), 16666666u);  // an unknown rate is taken as 60 Hz
    EXPECT_EQ(platform::FramePeriodNs(settings, 60, true), 0u);          // the display waits by itself
    settings.frameRateCap = 30;
    EXPECT_EQ(platform::FramePeriodNs(settings, 60, true), 33333333u);
    EXPECT_EQ(platform::FramePeriodNs(settings, 60, false), 33333333u);  // the slower of the two
    settings.vsync = false;
    settings.frameRateCap = 0;
    EXPECT_EQ(platform::FramePeriodNs(settings, 60, false), 0u);

    platform::FramePacer pacer;
    const uint64_t period = 10;
    EXPECT_EQ(pacer.WaitBeforeShowing(1000, period), 0u);  // the first frame starts the beat
    EXPECT_EQ(pacer.WaitBeforeShowing(1003, period), 7u);
    EXPECT_EQ(pacer.WaitBeforeShowing(1025, period), 0u);  // late, but within a period: the beat holds
    EXPECT_EQ(pacer.WaitBeforeShowing(1031, period), 0u);
    EXPECT_EQ(pacer.nextNs, 1040u);
    EXPECT_EQ(pacer.WaitBeforeShowing(2000, period), 0u);  // far behind: a new beat, no hurrying
    EXPECT_EQ(pacer.WaitBeforeShowing(2001, period), 9u);
    EXPECT_EQ(pacer.WaitBeforeShowing(2001, 0), 0u);  // nothing to pace to
}

TEST(Presentation, TheOverlayShowsFramesASecondAndTheMeanAndWorstFrameTime) {
    platform::FrameRateMeter meter;
    EXPECT_STREQ(meter.text, "-- fps");
    uint64_t now = 5000000000;
    EXPECT_FALSE(meter.Count(now));
    // 29 frames 16 ms apart and one of 36 ms: 30 frames in 500 ms.
    for (int frame = 0; frame < 29; ++frame) EXPECT_FALSE(meter.Count(now += 16000000));
    EXPECT_TRUE(meter.Count(now += 36000000));
    EXPECT_STREQ(meter.text, "60.0 fps  16.7 ms  worst 36.0 ms");
    // After a pause the gap counts as no frame time.
    meter.Restart();
    EXPECT_STREQ(meter.text, "-- fps");
    EXPECT_FALSE(meter.Count(now += 10000000000));
    for (int frame = 0; frame < 24; ++frame) meter.Count(now += 20000000);
    EXPECT_TRUE(meter.Count(now += 20000000));
    EXPECT_STREQ(meter.text, "50.0 fps  20.0 ms  worst 20.0 ms");
}
