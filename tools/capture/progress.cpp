#include "progress.h"

#include <unistd.h>

Progress::Progress(uint64_t total, FILE* out)
    : total(total), out(out), terminal(isatty(fileno(out)) != 0), start(Clock::now()), lastPrint(start) {}

std::string Progress::Line(uint64_t done, uint64_t total, double seconds) {
    char text[160];
    const double speed = seconds > 0 ? double(done) / seconds : 0.0;
    const double percent = total ? 100.0 * double(done) / double(total) : 100.0;
    int length = std::snprintf(text, sizeof text, "capture: %llu of %llu frames (%.0f%%), %.1f frames/s",
                               (unsigned long long)done, (unsigned long long)total, percent, speed);
    if (speed > 0 && done < total) {
        const unsigned long long left = (unsigned long long)(double(total - done) / speed + 0.5);
        std::snprintf(text + length, sizeof text - size_t(length), ", %llu:%02llu left", left / 60, left % 60);
    }
    return text;
}

void Progress::Print(uint64_t done) {
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::string line = Line(done, total, seconds);
    if (terminal)
        std::fprintf(out, "\r%-78s", line.c_str());
    else
        std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
    printed = true;
}

void Progress::Update(uint64_t done) {
    const Clock::time_point now = Clock::now();
    if (now - lastPrint < (terminal ? std::chrono::milliseconds(250) : std::chrono::milliseconds(10000))) return;
    lastPrint = now;
    Print(done);
}

void Progress::Finish(uint64_t done) {
    if (!printed && !terminal) return;
    Print(done);
    if (terminal) std::fputc('\n', out);
}

void Progress::Clear() {
    if (terminal && printed) std::fprintf(out, "\r%-78s\r", "");
}
