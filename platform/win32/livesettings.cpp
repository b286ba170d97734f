// The live show's settings: one rule per setting (its name in the file and in the environment,
// the values it takes), the file's "name = value" lines, then the environment over them.
#include <platform/livesettings.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

platform::LiveSettings current;

struct SettingRule {
    const char* key;       // in the file
    const char* variable;  // in the environment
    const char* expected;  // the values taken, for the message about a bad one
    const char* fallback;  // the default, as the file would write it
    bool (*take)(const std::string& value, platform::LiveSettings& settings);
};

bool TakeSwitch(const std::string& value, bool& to) {
    for (const char* on : {"on", "yes", "true", "1"})
        if (value == on) return to = true, true;
    for (const char* off : {"off", "no", "false", "0"})
        if (value == off) return to = false, true;
    return false;
}

bool TakeWindowed(const std::string& value, platform::LiveSettings& settings) { return TakeSwitch(value, settings.windowed); }
bool TakeVsync(const std::string& value, platform::LiveSettings& settings) { return TakeSwitch(value, settings.vsync); }
bool TakeOverlay(const std::string& value, platform::LiveSettings& settings) { return TakeSwitch(value, settings.overlay); }

bool TakeScaling(const std::string& value, platform::LiveSettings& settings) {
    if (value == "linear") settings.scaling = platform::ScalingFilter::Linear;
    else if (value == "nearest") settings.scaling = platform::ScalingFilter::Nearest;
    else if (value == "integer") settings.scaling = platform::ScalingFilter::Integer;
    else return false;
    return true;
}

bool TakeFrameRateCap(const std::string& value, platform::LiveSettings& settings) {
    if (value == "off" || value == "none") return settings.frameRateCap = 0, true;
    if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos) return false;
    const unsigned long cap = std::strtoul(value.c_str(), nullptr, 10);
    if (cap > platform::MaxFrameRateCap) return false;
    settings.frameRateCap = static_cast<unsigned>(cap);
    return true;
}

bool TakeDevice(const std::string& value, platform::LiveSettings& settings) {
    if (value == "auto") settings.firstDevice = platform::DeviceKind::Automatic;
    else if (value == "software") settings.firstDevice = platform::DeviceKind::Software;
    else if (value == "hardware") settings.firstDevice = platform::DeviceKind::Hardware;
    else return false;
    return true;
}

const SettingRule rules[] = {
    {"windowed", "HELIOTROPIC_WINDOWED", "on or off", "off", TakeWindowed},
    {"scaling", "HELIOTROPIC_SCALING", "linear, nearest or integer", "linear", TakeScaling},
    {"vsync", "HELIOTROPIC_VSYNC", "on or off", "on", TakeVsync},
    {"frame_rate_cap", "HELIOTROPIC_FRAME_RATE_CAP", "off or a number of frames a second from 1 to 1000", "off",
     TakeFrameRateCap},
    {"overlay", "HELIOTROPIC_OVERLAY", "on or off", "off", TakeOverlay},
    {"device", "HELIOTROPIC_DEVICE", "auto, software or hardware", "auto", TakeDevice},
};

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A value as the user wrote it, with every byte outside printable ASCII as \xNN, so a message
// stays one readable line.
std::string Shown(const std::string& value) {
    if (value.empty()) return "\"\"";
    std::string shown;
    for (unsigned char c : value) {
        if (c >= 0x20 && c < 0x7f) {
            shown += static_cast<char>(c);
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        }
    }
    return shown;
}

const SettingRule* RuleNamed(const std::string& key) {
    for (const SettingRule& rule : rules)
        if (key == rule.key) return &rule;
    return nullptr;
}

std::string SettingNames() {
    std::string names;
    for (const SettingRule& rule : rules) names += (names.empty() ? "" : ", ") + std::string(rule.key);
    return names;
}

// Takes a value for one setting; a bad one puts the default back and says so, after `where`.
void Apply(const SettingRule& rule, const std::string& value, const std::string& where, platform::LiveSettings& settings,
           std::vector<std::string>& problems) {
    if (rule.take(Lowered(Trimmed(value)), settings)) return;
    rule.take(rule.fallback, settings);
    problems.push_back(where + " is not " + rule.expected + "; using " + rule.fallback);
}

}  // namespace

namespace platform {

LiveSettings ParseLiveSettings(const std::string& fileText, const EnvironmentLookup& environment,
                               std::vector<std::string>& problems) {
    LiveSettings settings;
    std::istringstream lines(fileText);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string text = Trimmed(line);
        if (text.empty() || text[0] == '#' || text[0] == ';') continue;
        const std::string place = std::string(LiveSettingsFile) + " line " + std::to_string(number) + ": ";
        const size_t equals = text.find('=');
        if (equals == std::string::npos) {
            problems.push_back(place + "\"" + Shown(text) + "\" is not \"name = value\"");
            continue;
        }
        const std::string key = Lowered(Trimmed(text.substr(0, equals)));
        const std::string value = Trimmed(text.substr(equals + 1));
        const SettingRule* rule = RuleNamed(key);
        if (rule == nullptr) {
            problems.push_back(place + "\"" + Shown(key) + "\" is not a setting (" + SettingNames() + ")");
            continue;
        }
        Apply(*rule, value, place + rule->key + " = " + Shown(value), settings, problems);
    }
    for (const SettingRule& rule : rules) {
        const char* value = environment(rule.variable);
        if (value != nullptr) Apply(rule, value, std::string(rule.variable) + "=" + Shown(value), settings, problems);
    }
    return settings;
}

void LoadLiveSettings(const std::string& folder) {
    const std::string path = (folder.empty() ? std::string() : folder + "/") + LiveSettingsFile;
    std::string text;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char block[4096];
        for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) text.append(block, got);
        std::fclose(file);
    } else if (errno != ENOENT) {
        std::fprintf(stderr, "%s: %s; using the default settings\n", path.c_str(), std::strerror(errno));
    }
    std::vector<std::string> problems;
    current = ParseLiveSettings(text, [](const char* name) { return std::getenv(name); }, problems);
    for (const std::string& problem : problems) std::fprintf(stderr, "%s\n", problem.c_str());
}

const LiveSettings& CurrentLiveSettings() { return current; }

void UseLiveSettings(const LiveSettings& settings) { current = settings; }

}  // namespace platform
