#include "json.h"

#include <cmath>
#include <cstdio>

void JsonWriter::NewLine() {
    text += '\n';
    text.append(2 * firstInLevel.size(), ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (firstInLevel.empty()) return;
    if (!firstInLevel.back()) text += ',';
    firstInLevel.back() = false;
    NewLine();
}

void JsonWriter::BeginObject() {
    BeforeValue();
    text += '{';
    firstInLevel.push_back(true);
}

void JsonWriter::EndObject() {
    const bool empty = firstInLevel.back();
    firstInLevel.pop_back();
    if (!empty) NewLine();
    text += '}';
    if (firstInLevel.empty()) text += '\n';
}

void JsonWriter::BeginArray() {
    BeforeValue();
    text += '[';
    firstInLevel.push_back(true);
}

void JsonWriter::EndArray() {
    const bool empty = firstInLevel.back();
    firstInLevel.pop_back();
    if (!empty) NewLine();
    text += ']';
}

void JsonWriter::Key(const char* name) {
    BeforeValue();
    Quote(name);
    text += ": ";
    afterKey = true;
}

void JsonWriter::String(const std::string& value) {
    BeforeValue();
    Quote(value);
}

void JsonWriter::Quote(const std::string& value) {
    text += '"';
    for (unsigned char c : value) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            text += escaped;
        } else {
            text += static_cast<char>(c);
        }
    }
    text += '"';
}

void JsonWriter::Number(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        text += "null";
        return;
    }
    char number[32];
    snprintf(number, sizeof number, "%.9g", value);
    text += number;
}

void JsonWriter::Bool(bool value) {
    BeforeValue();
    text += value ? "true" : "false";
}

void JsonWriter::Null() {
    BeforeValue();
    text += "null";
}

void JsonWriter::Vec(const Vector& value) {
    BeforeValue();
    text += '[';
    const float parts[3] = {value.x, value.y, value.z};
    for (int i = 0; i < 3; ++i) {
        if (i) text += ", ";
        char number[32];
        if (std::isfinite(parts[i]))
            snprintf(number, sizeof number, "%.9g", static_cast<double>(parts[i]));
        else
            snprintf(number, sizeof number, "null");
        text += number;
    }
    text += ']';
}
