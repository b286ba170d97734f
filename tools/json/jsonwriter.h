// Writes JSON into a string, either compact (one line, as the capture's trace has it) or
// indented for people (a member or element per line, two spaces a level, numbers in an array on
// one line). An outermost object or array ends its line.
//
// Strings are written from raw bytes and always come out as valid JSON: well-formed UTF-8 goes
// through as it is; quotes, backslashes and control characters (U+0000-U+001F, U+007F-U+009F)
// are escaped as \" \\ and \u00XX; a byte that is not part of well-formed UTF-8 is written as
// the character with the same value, \u0080-\u00FF (the byte as Latin-1 reads it).
//
// Numbers: whole numbers in full; others with the fewest digits that read back as the same value
// (as a float when the value is one, else as a double); NaN and the infinities, which JSON
// lacks, as the strings "NaN", "Infinity" and "-Infinity".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class JsonLayout { Compact, Indented };

class JsonWriter {
public:
    // Appends to out; nests at most 64 levels deep.
    explicit JsonWriter(std::string& out, JsonLayout layout = JsonLayout::Compact);

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // Carries on inside an object that someone else opened and gave members (a trace line's
    // frame number is only known after the rest of the line is made).
    void ContinueObject();
    // The name of the next value inside an object.
    void Key(const char* name);
    void String(const std::string& value);
    void String(const char* value);
    void Number(double value);
    // An array of numbers on one line.
    void Numbers(const double* values, size_t count);
    void Bool(bool value);
    void Null();

private:
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);
    void NewLine();
    void Quote(const char* text, size_t length);

    std::string& out;
    JsonLayout layout;
    int depth = 0;
    uint64_t levelHasItems = 0;  // bit d: level d already holds a member or element
    bool afterKey = false;
};
