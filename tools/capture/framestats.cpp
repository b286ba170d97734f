#include "framestats.h"

#include <algorithm>
#include <cstdio>

BenchPlan PlanBench(uint64_t frameCount, const std::function<int(uint64_t)>& segmentOfFrame, int segmentCount,
                    unsigned perSegment) {
    std::vector<std::vector<uint64_t>> framesOf(static_cast<size_t>(segmentCount));
    for (uint64_t frame = 0; frame < frameCount; ++frame) {
        const int segment = segmentOfFrame(frame);
        if (segment >= 0 && segment < segmentCount) framesOf[size_t(segment)].push_back(frame);
    }
    BenchPlan plan;
    for (const std::vector<uint64_t>& frames : framesOf) {
        const uint64_t n = frames.size(), k = std::min<uint64_t>(perSegment, n);
        // The middle of each of k equal parts, so no sample sits on a segment's first or last frame.
        for (uint64_t i = 0; i < k; ++i) plan.frames.push_back(frames[size_t((2 * i + 1) * n / (2 * k))]);
        plan.segmentLengths.push_back(n);
    }
    std::sort(plan.frames.begin(), plan.frames.end());
    return plan;
}

FrameStats::FrameStats(std::function<int(uint64_t)> segmentOf, int segmentCount)
    : segmentOf(std::move(segmentOf)), segments(size_t(segmentCount) + 1) {}

void FrameStats::Totals::Add(uint64_t frame, double ms, uint64_t tris) {
    if (frames == 0 || ms > worstMilliseconds) {
        worstMilliseconds = ms;
        worstFrame = frame;
    }
    ++frames;
    milliseconds += ms;
    triangles += tris;
    if (tris > mostTriangles) mostTriangles = tris;
}

std::string FrameStats::Header() { return "frame\tposition\tsegment\tms\ttriangles\n"; }

std::string FrameStats::Add(uint64_t frame, uint64_t position, double milliseconds, uint64_t triangles) {
    const int segment = segmentOf(position);
    const bool inside = segment >= 0 && size_t(segment) + 1 < segments.size();
    segments[inside ? size_t(segment) : segments.size() - 1].Add(frame, milliseconds, triangles);
    all.Add(frame, milliseconds, triangles);
    char line[128];
    std::snprintf(line, sizeof line, "%llu\t%llu\t%s\t%.3f\t%llu\n", (unsigned long long)frame,
                  (unsigned long long)position, inside ? std::to_string(segment).c_str() : "-", milliseconds,
                  (unsigned long long)triangles);
    return line;
}

std::string FrameStats::Row(const std::string& name, const Totals& totals) {
    const double mean = totals.milliseconds / double(totals.frames);
    char line[200];
    std::snprintf(line, sizeof line, "%-10s %8llu %9.3f %9.3f %8llu %9.1f %10.0f %10llu\n", name.c_str(),
                  (unsigned long long)totals.frames, mean, totals.worstMilliseconds,
                  (unsigned long long)totals.worstFrame, mean > 0 ? 1000.0 / mean : 0.0,
                  double(totals.triangles) / double(totals.frames), (unsigned long long)totals.mostTriangles);
    return line;
}

double FrameStats::MeanMilliseconds(int segment) const {
    const Totals& totals = segments[size_t(segment)];
    return totals.frames ? totals.milliseconds / double(totals.frames) : 0.0;
}

std::string FrameStats::Summary() const {
    std::string text = "segment      frames   mean ms  worst ms  (frame)  frames/s  triangles   (most)\n";
    for (size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].frames == 0) continue;
        text += Row(i + 1 < segments.size() ? std::to_string(i) : "between", segments[i]);
    }
    if (all.frames) text += Row("all", all);
    return text;
}
