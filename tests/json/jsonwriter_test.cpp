// The tools' one JSON writer: strings from raw bytes always valid, numbers that read back
// exactly, and its two layouts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "jsonwriter.h"

namespace {

std::string Quoted(const std::string& bytes) {
    std::string out;
    JsonWriter(out).String(bytes);
    return out;
}

std::string Number(double value) {
    std::string out;
    JsonWriter(out).Number(value);
    return out;
}

TEST(JsonStrings, WellFormedUtf8PassesAndEverythingElseIsEscaped) {
    const std::string text = "plain \xc3\xa9 \xe2\x82\xac \xf0\x9d\x84\x9e";  // 2, 3 and 4 bytes
    EXPECT_EQ(Quoted(text), "\"" + text + "\"");
    EXPECT_EQ(Quoted("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(Quoted(std::string("a\0b\n", 4)), "\"a\\u0000b\\u000a\"");
    // Escape sequences cannot reach a terminal that shows the document: ESC, DEL and C1 (CSI).
    EXPECT_EQ(Quoted("\x1b[2J\x7f\xc2\x9b"), "\"\\u001b[2J\\u007f\\u009b\"");
    // Bytes that are not UTF-8 become the characters of the same value.
    EXPECT_EQ(Quoted("name\xff"), "\"name\\u00ff\"");
    EXPECT_EQ(Quoted("\x80"), "\"\\u0080\"");                                 // a stray continuation
    EXPECT_EQ(Quoted("\xe2\x82"), "\"\\u00e2\\u0082\"");                      // cut short
    EXPECT_EQ(Quoted("\xc0\xaf"), "\"\\u00c0\\u00af\"");                      // overlong '/'
    EXPECT_EQ(Quoted("\xed\xa0\x80"), "\"\\u00ed\\u00a0\\u0080\"");           // a surrogate
    EXPECT_EQ(Quoted("\xf4\x90\x80\x80"), "\"\\u00f4\\u0090\\u0080\\u0080\"");  // past U+10FFFF
    EXPECT_EQ(Quoted("\xff\xc3\xa9"), "\"\\u00ff\xc3\xa9\"");                 // a good sequence after a bad byte
}

TEST(JsonNumbers, ReadBackExactlyWithTheFewestDigits) {
    for (float value : {0.1f, 1.0f / 3.0f, -2.5e-7f, 3.4028235e38f, 1.17549435e-38f, 123456.789f, 0.01f * 37}) {
        const std::string text = Number(value);
        EXPECT_EQ(std::strtof(text.c_str(), nullptr), value) << text;
        EXPECT_LE(text.size(), 15u) << text;
    }
    EXPECT_EQ(Number(0.1f), "0.1");
    EXPECT_EQ(Number(4294967295.0), "4294967295");  // colours and flags as whole numbers
    EXPECT_EQ(std::strtod(Number(0.1).c_str(), nullptr), 0.1);  // a true double keeps its own digits
    EXPECT_EQ(Number(std::nan("")), "\"NaN\"");
    EXPECT_EQ(Number(-INFINITY), "\"-Infinity\"");
}

TEST(JsonLayouts, CompactAndIndentedWriteTheSameDocument) {
    auto write = [](JsonWriter& json) {
        const double colour[3] = {1, 0.5, 0};
        json.BeginObject();
        json.Key("name"), json.String("box");
        json.Key("empty"), json.BeginArray(), json.EndArray();
        json.Key("colour"), json.Numbers(colour, 3);
        json.Key("parts"), json.BeginArray();
        json.BeginObject(), json.Key("used"), json.Bool(true), json.EndObject();
        json.Null();
        json.EndArray();
        json.EndObject();
    };
    std::string compact, indented;
    JsonWriter compactWriter(compact), indentedWriter(indented, JsonLayout::Indented);
    write(compactWriter);
    write(indentedWriter);
    EXPECT_EQ(compact, "{\"name\":\"box\",\"empty\":[],\"colour\":[1,0.5,0],\"parts\":[{\"used\":true},null]}\n");
    EXPECT_EQ(indented,
              "{\n  \"name\": \"box\",\n  \"empty\": [],\n  \"colour\": [1, 0.5, 0],\n  \"parts\": [\n    {\n"
              "      \"used\": true\n    },\n    null\n  ]\n}\n");
}

}  // namespace
