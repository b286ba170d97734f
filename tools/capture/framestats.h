// Render time and triangles per frame, summed up per segment of the show.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a benchmark draws: perSegment frames evenly spaced over the frames of each segment
// (every frame of a segment that has fewer), ascending, and how many frames each segment has.
struct BenchPlan {
    std::vector<uint64_t> frames;
    std::vector<uint64_t> segmentLengths;
};
// segmentOfFrame names the segment of frame 0 .. frameCount - 1: 0 .. segmentCount - 1, or -1.
BenchPlan PlanBench(uint64_t frameCount, const std::function<int(uint64_t)>& segmentOfFrame, int segmentCount,
                    unsigned perSegment);

class FrameStats {
public:
    // segmentOf names the segment a music position belongs to: 0 .. segmentCount - 1, or -1.
    FrameStats(std::function<int(uint64_t)> segmentOf, int segmentCount);

    // One show frame; returns its line for the per-frame listing.
    std::string Add(uint64_t frame, uint64_t position, double milliseconds, uint64_t triangles);

    // The column heads of the per-frame listing.
    static std::string Header();
    // One line per segment that had frames (frames, mean and worst time, frames per second,
    // mean and most triangles), then the whole run.
    std::string Summary() const;
    // The mean time of a segment's frames (0 without frames).
    double MeanMilliseconds(int segment) const;

private:
    struct Totals {
        uint64_t frames = 0;
        double milliseconds = 0;
        double worstMilliseconds = 0;
        uint64_t worstFrame = 0;
        uint64_t triangles = 0;
        uint64_t mostTriangles = 0;
        void Add(uint64_t frame, double ms, uint64_t tris);
    };
    static std::string Row(const std::string& name, const Totals& totals);

    std::function<int(uint64_t)> segmentOf;
    std::vector<Totals> segments;  // the last entry: frames outside every segment
    Totals all;
};
