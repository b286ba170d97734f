// How the live show reaches the screen: heliotropic.ini beside the program, overridden by
// HELIOTROPIC_* environment variables, read once when the show's program starts. Every other
// program (the capture tool, the tests) keeps the defaults unless it hands over settings of its
// own, so a capture never depends on the machine's settings file.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

enum class ScalingFilter { Linear, Nearest, Integer };
// Automatic: the hardware device first where it runs on a GPU, else the software device.
enum class DeviceKind { Software, Hardware, Automatic };

struct LiveSettings {
    bool windowed = false;                          // a resizable window instead of full screen
    ScalingFilter scaling = ScalingFilter::Linear;  // how the picture is scaled to the screen
    bool vsync = true;                              // wait for the display's refresh
    unsigned frameRateCap = 0;                      // frames a second at most; 0 for no cap
    bool overlay = false;                           // the frame-rate overlay shown from the start
    DeviceKind firstDevice = DeviceKind::Automatic;  // the kind of device the setup dialog selects
};

// The highest frame-rate cap taken.
constexpr unsigned MaxFrameRateCap = 1000;
// The file the settings are read from, in the program's folder.
constexpr const char* LiveSettingsFile = "heliotropic.ini";

// Looks up an environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The settings from the text of a settings file, each then overridden by its environment
// variable. Every line or value that cannot be taken adds one line to problems (naming the
// setting and the value), and that setting keeps its default.
LiveSettings ParseLiveSettings(const std::string& fileText, const EnvironmentLookup& environment,
                               std::vector<std::string>& problems);

// Reads the settings file in this folder (none is not a problem) and the environment, saying
// every problem on stderr, and uses the result from now on.
void LoadLiveSettings(const std::string& folder);
// The settings in use: the defaults until loaded or handed over.
const LiveSettings& CurrentLiveSettings();
// Uses these settings from now on (tests).
void UseLiveSettings(const LiveSettings& settings);

}  // namespace platform
