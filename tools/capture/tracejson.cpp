#include "tracejson.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

void AppendString(std::string& line, const std::string& text) {
    line += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            line += '\\';
            line += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            line += escaped;
        } else {
            line += static_cast<char>(c);
        }
    }
    line += '"';
}

void AppendNumbers(std::string& line, const double* values, size_t count) {
    line += '[';
    for (size_t i = 0; i < count; ++i) {
        if (i) line += ',';
        AppendNumber(line, values[i]);
    }
    line += ']';
}

void AppendPlace(std::string& line, const FramePlace& place) {
    if (place.loading) {
        line += ",\"loading\":true,\"pos\":null";
    } else {
        line += ",\"pos\":";
        line += std::to_string(place.position);
    }
}

void AppendValue(std::string& line, const platform::TraceArgument& argument, const platform::TraceRecord& record) {
    switch (argument.kind) {
    case platform::TraceArgument::Null: line += "null"; return;
    case platform::TraceArgument::Text: AppendString(line, argument.text); return;
    case platform::TraceArgument::Numbers: break;
    }
    const std::vector<double>& numbers = argument.numbers;
    if (argument.name == "vertices") {
        size_t count = 0;
        for (const platform::TraceArgument& other : record.arguments)
            if (other.name == "vertexCount") count = size_t(other.Number());
        const size_t stride = count ? numbers.size() / count : 0;
        line += '[';
        for (size_t v = 0; stride && v < count; ++v) {
            if (v) line += ',';
            AppendNumbers(line, numbers.data() + v * stride, stride);
        }
        line += ']';
    } else if (numbers.size() == 1) {
        AppendNumber(line, numbers[0]);
    } else {
        AppendNumbers(line, numbers.data(), numbers.size());
    }
}

}  // namespace

void AppendNumber(std::string& line, double value) {
    if (std::isnan(value)) {
        line += "\"NaN\"";
        return;
    }
    if (std::isinf(value)) {
        line += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
        return;
    }
    char text[40];
    if (value == std::trunc(value) && std::fabs(value) < 9.0e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        // Device arguments are mostly floats: the fewest digits that read back as the same value
        // (as a float when it is one, else as a double).
        const bool isFloat = double(static_cast<float>(value)) == value;
        for (int digits = 1; digits <= 17; ++digits) {
            std::snprintf(text, sizeof text, "%.*g", digits, value);
            const double back = std::strtod(text, nullptr);
            if (isFloat ? static_cast<float>(back) == static_cast<float>(value) : back == value) break;
        }
    }
    line += text;
}

void AppendCallTail(std::string& line, const platform::TraceRecord& record, const FramePlace& place) {
    AppendPlace(line, place);
    line += ",\"call\":";
    AppendString(line, record.call);
    const std::vector<platform::TraceArgument>& arguments = record.arguments;
    for (size_t i = 0; i < arguments.size();) {
        const std::string& name = arguments[i].name;
        const size_t dot = name.find('.');
        line += ',';
        if (dot == std::string::npos) {
            AppendString(line, name);
            line += ':';
            AppendValue(line, arguments[i], record);
            ++i;
            continue;
        }
        // Members of one structure ("light.type", "light.diffuse", ...) become one object.
        const std::string group = name.substr(0, dot + 1);
        AppendString(line, group.substr(0, dot));
        line += ":{";
        for (bool first = true; i < arguments.size() && arguments[i].name.compare(0, group.size(), group) == 0; ++i) {
            if (!first) line += ',';
            first = false;
            AppendString(line, arguments[i].name.substr(group.size()));
            line += ':';
            AppendValue(line, arguments[i], record);
        }
        line += '}';
    }
    line += "}\n";
}

void AppendFrameTail(std::string& line, const FramePlace& place, DWORD musicPosition, float frameClock,
                     float frameDelta) {
    AppendPlace(line, place);
    line += ",\"call\":\"Frame\",\"musicPosition\":";
    line += std::to_string(musicPosition);
    line += ",\"frameClock\":";
    AppendNumber(line, frameClock);
    line += ",\"frameDelta\":";
    AppendNumber(line, frameDelta);
    line += "}\n";
}
