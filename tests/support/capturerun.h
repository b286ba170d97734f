// The capture program run as a user runs it, and the trace lines it writes, for the tests of
// the whole show.
#pragma once

#include <string>
#include <vector>

struct Outcome {
    int code = -1;
    std::string output;  // stdout, then stderr
};

// Whether the build put heliotropic-capture and the baked show beside the test programs.
bool CaptureProgramReady();
// Runs heliotropic-capture with the arguments, after the environment assignments (if any).
Outcome Capture(const std::string& arguments, const std::string& environment = "");

// What a shell command writes on stdout.
std::string Shell(const std::string& command);

std::vector<std::string> Lines(const std::string& path);
// The value of a top-level number field of a trace line, or NAN; the line's call.
double Field(const std::string& line, const std::string& name);
std::string Call(const std::string& line);
