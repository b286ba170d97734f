#include "tracejson.h"

#include "jsonwriter.h"

namespace {

void WritePlace(JsonWriter& json, const FramePlace& place) {
    if (place.loading) {
        json.Key("loading"), json.Bool(true);
        json.Key("pos"), json.Null();
    } else {
        json.Key("pos"), json.Number(double(place.position));
    }
}

void WriteValue(JsonWriter& json, const platform::TraceArgument& argument, const platform::TraceRecord& record) {
    switch (argument.kind) {
    case platform::TraceArgument::Null: json.Null(); return;
    case platform::TraceArgument::Text: json.String(argument.text); return;
    case platform::TraceArgument::Numbers: break;
    }
    const std::vector<double>& numbers = argument.numbers;
    if (argument.name == "vertices") {
        size_t count = 0;
        for (const platform::TraceArgument& other : record.arguments)
            if (other.name == "vertexCount") count = size_t(other.Number());
        const size_t stride = count ? numbers.size() / count : 0;
        json.BeginArray();
        for (size_t v = 0; stride && v < count; ++v) json.Numbers(numbers.data() + v * stride, stride);
        json.EndArray();
    } else if (numbers.size() == 1) {
        json.Number(numbers[0]);
    } else {
        json.Numbers(numbers.data(), numbers.size());
    }
}

}  // namespace

void AppendCallTail(std::string& line, const platform::TraceRecord& record, const FramePlace& place) {
    JsonWriter json(line);
    json.ContinueObject();
    WritePlace(json, place);
    json.Key("call"), json.String(record.call);
    const std::vector<platform::TraceArgument>& arguments = record.arguments;
    for (size_t i = 0; i < arguments.size();) {
        const std::string& name = arguments[i].name;
        const size_t dot = name.find('.');
        if (dot == std::string::npos) {
            json.Key(name.c_str());
            WriteValue(json, arguments[i], record);
            ++i;
            continue;
        }
        // Members of one structure ("light.type", "light.diffuse", ...) become one object.
        const std::string group = name.substr(0, dot + 1);
        json.Key(group.substr(0, dot).c_str());
        json.BeginObject();
        for (; i < arguments.size() && arguments[i].name.compare(0, group.size(), group) == 0; ++i) {
            json.Key(arguments[i].name.c_str() + group.size());
            WriteValue(json, arguments[i], record);
        }
        json.EndObject();
    }
    json.EndObject();
}

void AppendFrameTail(std::string& line, const FramePlace& place, DWORD musicPosition, float frameClock,
                     float frameDelta) {
    JsonWriter json(line);
    json.ContinueObject();
    WritePlace(json, place);
    json.Key("call"), json.String("Frame");
    json.Key("musicPosition"), json.Number(musicPosition);
    json.Key("frameClock"), json.Number(frameClock);
    json.Key("frameDelta"), json.Number(frameDelta);
    json.EndObject();
}
