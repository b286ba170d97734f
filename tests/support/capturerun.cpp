#include "capturerun.h"

#include <platform/executablefolder.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "workfolder.h"

namespace {

std::string CaptureProgram() { return platform::ExecutableFolder(nullptr) + "/heliotropic-capture"; }

}  // namespace

bool CaptureProgramReady() {
    return access(CaptureProgram().c_str(), X_OK) == 0 &&
           access((platform::ExecutableFolder(nullptr) + "/music/clone.mp3").c_str(), R_OK) == 0;
}

Outcome RunCommand(const std::string& command) {
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) outcome.output.append(buffer, got);
    const int status = pclose(pipe);
    outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

Outcome Capture(const std::string& arguments, const std::string& environment) {
    // stderr goes to its own file: a progress line must not land inside a line of stdout.
    const TemporaryFolder temporary;
    const std::string errors = temporary.File("stderr");
    Outcome outcome = RunCommand(environment + " '" + CaptureProgram() + "' " + arguments + " 2>'" + errors + "'");
    outcome.output += Contents(errors);
    return outcome;
}

std::string Shell(const std::string& command) { return RunCommand(command).output; }

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

double Field(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const size_t at = line.find(key);
    return at == std::string::npos ? NAN : std::strtod(line.c_str() + at + key.size(), nullptr);
}

std::string Call(const std::string& line) {
    const std::string key = "\"call\":\"";
    const size_t at = line.find(key);
    if (at == std::string::npos) return "";
    return line.substr(at + key.size(), line.find('"', at + key.size()) - at - key.size());
}
