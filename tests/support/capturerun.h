// Programs run as a user runs them: the capture program, the other tools and the show itself;
// and the trace lines the capture writes, for the tests of the whole show.
#pragma once

#include <string>
#include <vector>

struct Outcome {
    int code = -1;
    std::string output;  // stdout, then stderr
};

// Runs a shell command; its exit code (-1 when it did not exit) and what it wrote on stdout.
Outcome RunCommand(const std::string& command);

// Whether the build put heliotropic-capture and the baked show beside the test programs.
bool CaptureProgramReady();
// Runs heliotropic-capture with the arguments, after the environment assignments (if any).
Outcome Capture(const std::string& arguments, const std::string& environment = "");

// What a shell command writes on stdout.
std::string Shell(const std::string& command);
// A file's whole contents; empty when it cannot be read.
std::string Contents(const std::string& path);

std::vector<std::string> Lines(const std::string& path);
// The value of a top-level number field of a trace line, or NAN; the line's call.
double Field(const std::string& line, const std::string& name);
std::string Call(const std::string& line);
