// Writes one JSON document, indented, to a string.
#pragma once

#include <string>
#include <vector>

#include "vecmath.h"

class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next value inside an object.
    void Key(const char* name);
    void String(const std::string& value);
    // Non-finite numbers have no JSON form and are written as null.
    void Number(double value);
    void Bool(bool value);
    void Null();
    void Vec(const Vector& value);
    const std::string& Text() const { return text; }

private:
    void BeforeValue();
    void NewLine();
    void Quote(const std::string& value);
    std::string text;
    std::vector<bool> firstInLevel;
    bool afterKey = false;
};
