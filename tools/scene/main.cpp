// heliotropic-scene: inspects and validates .3d scene files.
//   heliotropic-scene info FILE.3d [--frame-scale S] [--flat] [--json]
//   heliotropic-scene sample FILE.3d TRACK INDEX FRAME [--frame-scale S] [--flat]
//   heliotropic-scene validate FILE.3d... [--frame-scale S] [--flat]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "datafile.h"
#include "inspection.h"

namespace {

const char* const Usage =
    "usage: heliotropic-scene info FILE.3d [--frame-scale S] [--flat] [--json]\n"
    "       heliotropic-scene sample FILE.3d TRACK INDEX FRAME [--frame-scale S] [--flat]\n"
    "       heliotropic-scene validate FILE.3d... [--frame-scale S] [--flat]\n"
    "TRACK is one of eye, target, position, scale, light. Textures are looked up in the gfx\n"
    "folder beside the folder that holds the scene file.\n";

int UsageError(const char* format, const char* detail) {
    fprintf(stderr, "heliotropic-scene: ");
    fprintf(stderr, format, ShownFileName(detail).c_str());
    fprintf(stderr, "\n%s", Usage);
    return 2;
}

bool ParseLong(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = strtol(text, &end, 10);
    return *text && end && *end == '\0' && errno == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return UsageError("%s", "no command");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        fputs(Usage, stdout);
        return 0;
    }

    LoadOptions options;
    bool json = false;
    std::vector<std::string> arguments;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--frame-scale") {
            if (i + 1 >= argc) return UsageError("%s", "--frame-scale needs a value");
            char* end = nullptr;
            const float scale = strtof(argv[++i], &end);
            if (*end != '\0' || !std::isfinite(scale) || scale <= 0.0f)
                return UsageError("frame scale \"%s\" is not a positive number", argv[i]);
            options.frameScale = scale;
        } else if (argument == "--flat") {
            options.flatMesh = 1;
        } else if (argument == "--json") {
            json = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return UsageError("unknown option %s", argv[i]);
        } else {
            arguments.push_back(argument);
        }
    }

    if (command == "info") {
        if (arguments.size() != 1) return UsageError("%s", "info takes one scene file");
        return InfoCommand(arguments[0], options, json);
    }
    if (json) return UsageError("%s", "--json belongs to info");
    if (command == "validate") {
        if (arguments.empty()) return UsageError("%s", "validate needs at least one scene file");
        return ValidateCommand(arguments, options);
    }
    if (command == "sample") {
        if (arguments.size() != 4) return UsageError("%s", "sample takes FILE.3d TRACK INDEX FRAME");
        const struct {
            const char* name;
            TrackKind kind;
            int capacity;
        } kinds[] = {{"eye", EyeTrack, MaxCameras},
                     {"target", TargetTrack, MaxCameras},
                     {"position", PositionTrack, MaxObjects},
                     {"scale", ScaleTrack, MaxObjects},
                     {"light", LightTrack, MaxLights}};
        for (const auto& kind : kinds) {
            if (arguments[1] != kind.name) continue;
            long index = 0, frame = 0;
            if (!ParseLong(arguments[2].c_str(), index) || index < 0 || index >= kind.capacity)
                return UsageError("index \"%s\" is outside the track table", arguments[2].c_str());
            if (!ParseLong(arguments[3].c_str(), frame) || frame < 0)
                return UsageError("frame \"%s\" is not a whole number of 0 or more", arguments[3].c_str());
            return SampleCommand(arguments[0], kind.kind, static_cast<int>(index), static_cast<unsigned long>(frame),
                                 options);
        }
        return UsageError("unknown track \"%s\"", arguments[1].c_str());
    }
    return UsageError("unknown command %s", command.c_str());
}
