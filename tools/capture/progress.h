// A progress line on stderr during long captures: frames done of the total, speed, time left.
// On a terminal it is redrawn in place a few times a second; otherwise one line every ten seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class Progress {
public:
    Progress(uint64_t total, FILE* out);
    void Update(uint64_t done);
    // The last state, and a line break on a terminal.
    void Finish(uint64_t done);
    // Wipes the line on a terminal so that a message can be printed in its place.
    void Clear();

    // "1234 of 14627 frames (8%), 95.2 frames/s, 2:20 left"
    static std::string Line(uint64_t done, uint64_t total, double seconds);

private:
    using Clock = std::chrono::steady_clock;
    void Print(uint64_t done);

    uint64_t total;
    FILE* out;
    bool terminal;
    Clock::time_point start;
    Clock::time_point lastPrint;
    bool printed = false;
};
