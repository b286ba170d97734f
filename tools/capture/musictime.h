// The capture's music clock: every presented frame advances the music by exactly one frame's
// worth of decoded audio (44,100 Hz, 16-bit stereo: 176,400 bytes a second), kept on whole
// samples so positions never drift, whatever the frame rate.
#pragma once

#include <cstdint>
#include <string>

constexpr uint64_t BytesPerSecond = 176400;
constexpr uint64_t BytesPerSample = 4;
constexpr uint64_t SamplesPerSecond = BytesPerSecond / BytesPerSample;

// A frame rate as an exact fraction (60, 50, 60000/1001).
struct FrameRate {
    uint64_t numerator = 60;
    uint64_t denominator = 1;
    double PerSecond() const { return double(numerator) / double(denominator); }
};

// "60", "30000/1001" or a decimal such as "29.97" (taken as 2997/100). False with a reason
// otherwise.
bool ParseFrameRate(const std::string& text, FrameRate& rate, std::string& error);

// The music position of show frame n: floor(n x 176,400 / fps / 4) x 4 bytes.
uint64_t PositionOfFrame(uint64_t frame, FrameRate rate);

// The first show frame whose position is at or past the given one.
uint64_t FirstFrameAtOrPast(uint64_t position, FrameRate rate);

// A byte position: a whole number of bytes. False with a reason otherwise.
bool ParsePosition(const std::string& text, uint64_t& position, std::string& error);

// Seconds of music ("12", "12.25") to a byte position on a whole sample, computed exactly from
// the decimal digits. False with a reason otherwise.
bool ParseSeconds(const std::string& text, uint64_t& position, std::string& error);
