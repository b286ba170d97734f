#include "jsonwriter.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "utf8.h"

namespace {

constexpr int MaxDepth = 64;

void AppendNumber(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "\"NaN\"";
        return;
    }
    if (std::isinf(value)) {
        out += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
        return;
    }
    char text[40];
    if (value == std::trunc(value) && std::fabs(value) < 9.0e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        // Most values are floats: a float needs fewer digits than the double it widens to.
        const bool isFloat = double(static_cast<float>(value)) == value;
        for (int digits = 1; digits <= 17; ++digits) {
            std::snprintf(text, sizeof text, "%.*g", digits, value);
            const double back = std::strtod(text, nullptr);
            if (isFloat ? static_cast<float>(back) == static_cast<float>(value) : back == value) break;
        }
    }
    out += text;
}

void AppendEscaped(std::string& out, unsigned value) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\u%04x", value);
    out += escaped;
}

}  // namespace

JsonWriter::JsonWriter(std::string& out, JsonLayout layout) : out(out), layout(layout) {}

void JsonWriter::NewLine() {
    out += '\n';
    out.append(2 * static_cast<size_t>(depth), ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (depth == 0) return;
    const uint64_t bit = uint64_t(1) << (depth - 1);
    if (levelHasItems & bit) out += ',';
    levelHasItems |= bit;
    if (layout == JsonLayout::Indented) NewLine();
}

void JsonWriter::Open(char bracket) {
    BeforeValue();
    out += bracket;
    assert(depth < MaxDepth);
    ++depth;
    levelHasItems &= ~(uint64_t(1) << (depth - 1));
}

void JsonWriter::Close(char bracket) {
    const bool hadItems = levelHasItems & (uint64_t(1) << (depth - 1));
    --depth;
    if (hadItems && layout == JsonLayout::Indented) NewLine();
    out += bracket;
    if (depth == 0) out += '\n';
}

void JsonWriter::BeginObject() { Open('{'); }
void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::BeginArray() { Open('['); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::ContinueObject() {
    assert(depth < MaxDepth);
    ++depth;
    levelHasItems |= uint64_t(1) << (depth - 1);
}

void JsonWriter::Key(const char* name) {
    BeforeValue();
    Quote(name, strlen(name));
    out += layout == JsonLayout::Indented ? ": " : ":";
    afterKey = true;
}

void JsonWriter::String(const std::string& value) {
    BeforeValue();
    Quote(value.data(), value.size());
}

void JsonWriter::String(const char* value) {
    BeforeValue();
    Quote(value, strlen(value));
}

void JsonWriter::Quote(const char* text, size_t length) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    out += '"';
    for (size_t i = 0; i < length;) {
        uint32_t codePoint = 0;
        const size_t sequence = Utf8Sequence(bytes + i, length - i, codePoint);
        if (sequence == 0) {
            AppendEscaped(out, bytes[i]);
            ++i;
            continue;
        }
        if (codePoint == '"' || codePoint == '\\') {
            out += '\\';
            out += static_cast<char>(codePoint);
        } else if (IsControlCharacter(codePoint)) {
            AppendEscaped(out, codePoint);
        } else {
            out.append(text + i, sequence);
        }
        i += sequence;
    }
    out += '"';
}

void JsonWriter::Number(double value) {
    BeforeValue();
    AppendNumber(out, value);
}

void JsonWriter::Numbers(const double* values, size_t count) {
    BeforeValue();
    out += '[';
    for (size_t i = 0; i < count; ++i) {
        if (i) out += layout == JsonLayout::Indented ? ", " : ",";
        AppendNumber(out, values[i]);
    }
    out += ']';
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    out += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    out += "null";
}
