#include "progress.h"

#include <unistd.h>

#include <utility>

namespace {

// Decimal units, as file managers show sizes.
std::string SizeText(uint64_t bytes) {
    const char* units[] = {"bytes", "kB", "MB", "GB", "TB"};
    double value = double(bytes);
    size_t unit = 0;
    while (value >= 1000 && unit + 1 < sizeof units / sizeof units[0]) {
        value /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 || value >= 100 ? "%.0f %s" : "%.1f %s", value, units[unit]);
    return text;
}

}  // namespace

Progress::Progress(uint64_t total, FILE* out, SizeEstimate estimate)
    : total(total),
      out(out),
      estimate(std::move(estimate)),
      terminal(out != nullptr && isatty(fileno(out)) != 0),
      start(Clock::now()),
      lastPrint(start) {}

uint64_t Progress::Extrapolate(uint64_t bytes, uint64_t frames, uint64_t total) {
    if (frames == 0) return 0;
    return uint64_t(double(bytes) / double(frames) * double(total) + 0.5);
}

std::string Progress::Line(uint64_t done, uint64_t total, double seconds, uint64_t estimatedBytes) {
    char text[200];
    const double speed = seconds > 0 ? double(done) / seconds : 0.0;
    const double percent = total ? 100.0 * double(done) / double(total) : 100.0;
    int length = std::snprintf(text, sizeof text, "capture: %llu of %llu frames (%.0f%%), %.1f frames/s",
                               (unsigned long long)done, (unsigned long long)total, percent, speed);
    if (speed > 0 && done < total) {
        const unsigned long long left = (unsigned long long)(double(total - done) / speed + 0.5);
        length +=
            std::snprintf(text + length, sizeof text - size_t(length), ", %llu:%02llu left", left / 60, left % 60);
    }
    if (estimatedBytes > 0)
        std::snprintf(text + length, sizeof text - size_t(length), ", about %s", SizeText(estimatedBytes).c_str());
    return text;
}

void Progress::Print(uint64_t done) {
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::string line = Line(done, total, seconds, estimate ? estimate(done) : 0);
    if (terminal)
        std::fprintf(out, "\r%-100s", line.c_str());
    else
        std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
    printed = true;
}

void Progress::Update(uint64_t done) {
    if (out == nullptr) return;
    const Clock::time_point now = Clock::now();
    if (now - lastPrint < (terminal ? std::chrono::milliseconds(250) : std::chrono::milliseconds(10000))) return;
    lastPrint = now;
    Print(done);
}

void Progress::Finish(uint64_t done) {
    if (out == nullptr || (!printed && !terminal)) return;
    Print(done);
    if (terminal) std::fputc('\n', out);
}

void Progress::Clear() {
    if (out != nullptr && terminal && printed) std::fprintf(out, "\r%-100s\r", "");
}
