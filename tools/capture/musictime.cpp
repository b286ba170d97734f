#include "musictime.h"

#include <cctype>

namespace {

// Rates and counts are kept small enough that products fit 128 bits with room to spare.
constexpr uint64_t MaxRateTerm = 1000000;
constexpr uint64_t MaxPosition = uint64_t(1) << 40;

bool ParseWhole(const std::string& text, uint64_t limit, uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;
    uint64_t result = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        result = result * 10 + uint64_t(c - '0');
    }
    if (result > limit) return false;
    value = result;
    return true;
}

}  // namespace

bool ParseFrameRate(const std::string& text, FrameRate& rate, std::string& error) {
    const size_t slash = text.find('/');
    const size_t dot = text.find('.');
    uint64_t numerator = 0, denominator = 1;
    bool parsed;
    if (slash != std::string::npos) {
        parsed = ParseWhole(text.substr(0, slash), MaxRateTerm, numerator) &&
                 ParseWhole(text.substr(slash + 1), MaxRateTerm, denominator);
    } else if (dot != std::string::npos) {
        const std::string fraction = text.substr(dot + 1);
        for (size_t i = 0; i < fraction.size() && denominator < MaxRateTerm; ++i) denominator *= 10;
        parsed = fraction.size() <= 5 && ParseWhole(text.substr(0, dot) + fraction, MaxRateTerm, numerator);
    } else {
        parsed = ParseWhole(text, MaxRateTerm, numerator);
    }
    if (!parsed || numerator == 0 || denominator == 0) {
        error = "frame rate '" + text + "' is not a positive whole number or fraction such as 60 or 60000/1001";
        return false;
    }
    rate.numerator = numerator;
    rate.denominator = denominator;
    return true;
}

uint64_t PositionOfFrame(uint64_t frame, FrameRate rate) {
    const unsigned __int128 samples =
        (unsigned __int128)frame * SamplesPerSecond * rate.denominator / rate.numerator;
    return uint64_t(samples) * BytesPerSample;
}

uint64_t FirstFrameAtOrPast(uint64_t position, FrameRate rate) {
    // floor(n x K / num) >= q  <=>  n x K >= q x num, with K = samples a second x denominator.
    const unsigned __int128 samples = (position + BytesPerSample - 1) / BytesPerSample;
    const unsigned __int128 perFrame = (unsigned __int128)SamplesPerSecond * rate.denominator;
    const unsigned __int128 needed = samples * rate.numerator;
    return uint64_t((needed + perFrame - 1) / perFrame);
}

bool ParsePosition(const std::string& text, uint64_t& position, std::string& error) {
    if (!ParseWhole(text, MaxPosition, position)) {
        error = "position '" + text + "' is not a whole number of bytes";
        return false;
    }
    return true;
}

bool ParseSeconds(const std::string& text, uint64_t& position, std::string& error) {
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    uint64_t wholeValue = 0, fractionValue = 0, scale = 1;
    const bool parsed = ParseWhole(whole, MaxPosition / BytesPerSecond, wholeValue) &&
                        fraction.size() <= 9 && (fraction.empty() || ParseWhole(fraction, UINT64_MAX, fractionValue));
    if (!parsed || (dot != std::string::npos && fraction.empty())) {
        error = "time '" + text + "' is not a number of seconds such as 12 or 12.25";
        return false;
    }
    for (size_t i = 0; i < fraction.size(); ++i) scale *= 10;
    const unsigned __int128 samples =
        ((unsigned __int128)wholeValue * scale + fractionValue) * SamplesPerSecond / scale;
    position = uint64_t(samples) * BytesPerSample;
    return true;
}
