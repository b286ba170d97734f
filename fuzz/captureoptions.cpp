// The capture tool's command line: the input split at zero bytes into its arguments.
#include "options.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments{"heliotropic-capture"};
    std::string argument;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(argument);
            argument.clear();
        } else {
            argument += static_cast<char>(data[i]);
        }
    }
    if (!argument.empty()) arguments.push_back(argument);
    std::vector<const char*> argv;
    for (const std::string& text : arguments) argv.push_back(text.c_str());
    CaptureOptions options;
    std::string error;
    ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error);
    return 0;
}
