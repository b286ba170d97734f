// The inspector's three commands; each returns the process exit code.
#pragma once

#include <string>
#include <vector>

#include "scenefile.h"

struct LoadOptions {
    float frameScale = 1.0f;
    int flatMesh = 0;
};

// Loads the scene as the show does and prints what it holds, as text or as one JSON document.
int InfoCommand(const std::string& path, const LoadOptions& options, bool json);
// Prints the value a track gives at a frame (the last sample held past the track's end).
int SampleCommand(const std::string& path, TrackKind kind, int index, unsigned long frame, const LoadOptions& options);
// Checks every file and prints each problem with its byte offset; 0 only when all are valid.
int ValidateCommand(const std::vector<std::string>& paths, const LoadOptions& options);
