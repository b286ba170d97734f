// A progress line on stderr during long captures: frames done of the total, speed, time left
// and the size the output is heading for.
// On a terminal it is redrawn in place a few times a second; otherwise one line every ten seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

class Progress {
public:
    // The estimate, asked for only when a line is printed, gives the output's expected size in
    // bytes after so many frames done (0: not known yet). A null out prints nothing.
    using SizeEstimate = std::function<uint64_t(uint64_t done)>;
    Progress(uint64_t total, FILE* out, SizeEstimate estimate = {});
    void Update(uint64_t done);
    // The last state, and a line break on a terminal.
    void Finish(uint64_t done);
    // Wipes the line on a terminal so that a message can be printed in its place.
    void Clear();

    // "1234 of 14627 frames (8%), 95.2 frames/s, 2:20 left, about 812 MB"
    static std::string Line(uint64_t done, uint64_t total, double seconds, uint64_t estimatedBytes);
    // The bytes a part gave for its frames, scaled to all of them.
    static uint64_t Extrapolate(uint64_t bytes, uint64_t frames, uint64_t total);

private:
    using Clock = std::chrono::steady_clock;
    void Print(uint64_t done);

    uint64_t total;
    FILE* out;
    SizeEstimate estimate;
    bool terminal;
    Clock::time_point start;
    Clock::time_point lastPrint;
    bool printed = false;
};
