// Trace lines: the Direct3D argument names, nesting of structures and vertices.
#include "framestats.h"
#include "tracejson.h"

#include <gtest/gtest.h>

namespace {

platform::TraceArgument Numbers(const char* name, std::vector<double> values) {
    platform::TraceArgument argument;
    argument.name = name;
    argument.numbers = std::move(values);
    return argument;
}

platform::TraceArgument Text(const char* name, const char* text) {
    platform::TraceArgument argument;
    argument.name = name;
    argument.kind = text ? platform::TraceArgument::Text : platform::TraceArgument::Null;
    if (text) argument.text = text;
    return argument;
}

std::string Tail(const platform::TraceRecord& record, FramePlace place = {false, 2940}) {
    std::string line;
    AppendCallTail(line, record, place);
    return line;
}

TEST(TraceLines, ScalarsAndTexturesUnderTheirNames) {
    platform::TraceRecord state{"SetRenderState", {Numbers("state", {7}), Numbers("value", {1})}};
    EXPECT_EQ(Tail(state), ",\"pos\":2940,\"call\":\"SetRenderState\",\"state\":7,\"value\":1}\n");
    platform::TraceRecord named{"SetTexture", {Numbers("stage", {0}), Text("texture", "key.jpg")}};
    EXPECT_EQ(Tail(named), ",\"pos\":2940,\"call\":\"SetTexture\",\"stage\":0,\"texture\":\"key.jpg\"}\n");
    platform::TraceRecord none{"SetTexture", {Numbers("stage", {0}), Text("texture", nullptr)}};
    EXPECT_EQ(Tail(none, {true, 0}),
              ",\"loading\":true,\"pos\":null,\"call\":\"SetTexture\",\"stage\":0,\"texture\":null}\n");
    platform::TraceRecord odd{"SetTexture", {Text("texture", "a\"b\\c\n")}};
    EXPECT_NE(Tail(odd).find("\"a\\\"b\\\\c\\u000a\""), std::string::npos) << Tail(odd);
}

TEST(TraceLines, StructureMembersBecomeOneObject) {
    platform::TraceRecord light{"SetLight",
                                {Numbers("index", {3}), Numbers("light.type", {1}),
                                 Numbers("light.diffuse", {0.5, 0.25, 1, 1}), Numbers("light.range", {100}),
                                 Numbers("light.attenuation0", {1})}};
    EXPECT_EQ(Tail(light), ",\"pos\":2940,\"call\":\"SetLight\",\"index\":3,\"light\":{\"type\":1,"
                           "\"diffuse\":[0.5,0.25,1,1],\"range\":100,\"attenuation0\":1}}\n");
    platform::TraceRecord material{"SetMaterial", {Numbers("material.power", {0}), Numbers("after", {2})}};
    EXPECT_EQ(Tail(material), ",\"pos\":2940,\"call\":\"SetMaterial\",\"material\":{\"power\":0},\"after\":2}\n");
}

TEST(TraceLines, VerticesAreSplitOnePerArray) {
    platform::TraceRecord draw{"DrawPrimitive",
                               {Numbers("type", {4}), Numbers("vertexFormat", {0x1C4}), Numbers("vertexCount", {2}),
                                Numbers("flags", {0}), Numbers("vertices", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})}};
    EXPECT_NE(Tail(draw).find("\"vertexFormat\":452,\"vertexCount\":2,\"flags\":0,\"vertices\":[[1,2,3,4,5],[6,7,8,9,10]]}"),
              std::string::npos)
        << Tail(draw);
}

TEST(TraceLines, FrameLineCarriesTheDirectorsClocks) {
    std::string line;
    AppendFrameTail(line, {false, 5880}, 5880, 1.25f, 0.0169172f);
    EXPECT_EQ(line, ",\"pos\":5880,\"call\":\"Frame\",\"musicPosition\":5880,\"frameClock\":1.25,\"frameDelta\":0.0169172}\n");
}

TEST(FrameStatistics, BenchFramesEvenlySpacedInsideEachSegment) {
    // Frames 0-9 are segment 0, 10-11 none, 12-14 segment 1.
    const BenchPlan plan = PlanBench(15, [](uint64_t f) { return f < 10 ? 0 : f < 12 ? -1 : 1; }, 2, 4);
    EXPECT_EQ(plan.frames, (std::vector<uint64_t>{1, 3, 6, 8, 12, 13, 14}));
    EXPECT_EQ(plan.segmentLengths, (std::vector<uint64_t>{10, 3}));
}

TEST(FrameStatistics, SummedPerSegmentWithWorstFrame) {
    // Segments by position: 0 below 100, 1 from 100, nothing at 150 and beyond.
    FrameStats stats([](uint64_t p) { return p < 100 ? 0 : p < 150 ? 1 : -1; }, 2);
    stats.Add(0, 0, 2.0, 10);
    stats.Add(1, 50, 6.0, 30);
    stats.Add(2, 100, 4.0, 5);
    const std::string line = stats.Add(3, 150, 1.0, 0);
    EXPECT_EQ(line, "3\t150\t-\t1.000\t0\n");
    const std::string summary = stats.Summary();
    // Segment 0: two frames, mean 4 ms, worst 6 ms at frame 1, 250 frames/s, 20 triangles on average.
    EXPECT_NE(summary.find("0                 2     4.000     6.000        1     250.0         20         30"),
              std::string::npos)
        << summary;
    EXPECT_NE(summary.find("1                 1     4.000     4.000        2     250.0"), std::string::npos) << summary;
    EXPECT_NE(summary.find("between           1     1.000"), std::string::npos) << summary;
    EXPECT_NE(summary.find("all               4     3.250     6.000        1"), std::string::npos) << summary;
}

}  // namespace
