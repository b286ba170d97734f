#include "synth.h"

#include <algorithm>
#include <cmath>

#include "random.h"

namespace bake {

namespace {

// Constant-power pan gains, pan from −1 (left) to 1 (right).
struct Pan {
    float left, right;
    explicit Pan(float pan) {
        float angle = float((pan + 1) * 0.25 * 3.141592653589793);
        left = std::cos(angle), right = std::sin(angle);
    }
};

void Put(Stereo& out, int64_t frame, float value, Pan pan) {
    if (frame < 0 || frame >= int64_t(out.Frames())) return;
    out.left[size_t(frame)] += value * pan.left;
    out.right[size_t(frame)] += value * pan.right;
}

// Sine of a phase in turns, by a polynomial: plenty for oscillators and much cheaper than sin().
float SineTurns(double turns) {
    float x = float(turns - std::floor(turns));  // 0..1
    x = x < 0.5f ? x : x - 1.0f;                 // −0.5..0.5
    float y = 8.0f * x - 16.0f * x * std::fabs(x);
    return 0.225f * (y * std::fabs(y) - y) + y;
}

// Band-limited sawtooth: naive ramp with a polynomial correction around each wrap.
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

struct Saw {
    double phase = 0, step = 0;
    float Next() {
        double value = 2.0 * phase - 1.0 - PolyBlep(phase, step);
        phase += step;
        if (phase >= 1.0) phase -= 1.0;
        return float(value);
    }
};

// State-variable low-pass filter (Chamberlin form), stable for the cut-offs used here.
struct LowPass {
    float low = 0, band = 0;
    float Run(float input, float cutoff, float resonance) {
        float x = 3.14159265f * std::min(cutoff, float(SampleRate) / 6) / float(SampleRate);
        float f = 2.0f * (x - x * x * x / 6.0f);
        float q = 1.0f / std::max(0.5f, resonance);
        low += f * band;
        float high = input - low - q * band;
        band += f * high;
        return low;
    }
};

float Envelope(int64_t i, int64_t length, int64_t attack, int64_t release) {
    float a = attack > 0 ? std::min(1.0f, float(i) / float(attack)) : 1.0f;
    float r = release > 0 ? std::min(1.0f, float(length - i) / float(release)) : 1.0f;
    return std::max(0.0f, std::min(a, r));
}
}  // namespace

void Stereo::Mix(const Stereo& other, float gain) {
    for (size_t i = 0; i < Frames() && i < other.Frames(); ++i) {
        left[i] += gain * other.left[i];
        right[i] += gain * other.right[i];
    }
}

double NoteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

void Kick(Stereo& out, int64_t start, float level) {
    int64_t length = SampleRate * 45 / 100;
    double phase = 0;
    for (int64_t i = 0; i < length; ++i) {
        double t = double(i) / SampleRate;
        double frequency = 44 + 110 * std::exp(-t * 28);
        phase += frequency / SampleRate;
        float body = SineTurns(phase) * float(std::exp(-t * 7.5));
        float click = float(std::exp(-t * 400) * 0.5);
        Put(out, start + i, level * std::tanh(1.6f * (body + click)), Pan(0));
    }
}

void Clap(Stereo& out, int64_t start, float level, uint32_t seed) {
    Random random(seed);
    int64_t length = SampleRate * 30 / 100;
    LowPass low, tone;
    for (int64_t i = 0; i < length; ++i) {
        double t = double(i) / SampleRate;
        // Three quick bursts, then the tail: the sound of several hands.
        double burst = t < 0.03 ? std::exp(-std::fmod(t, 0.01) * 300) : std::exp(-(t - 0.03) * 18);
        float noise = random.Range(-1, 1);
        float band = noise - low.Run(noise, 900, 0.7f);
        band = tone.Run(band, 5000, 1.2f);
        float body = SineTurns(190 * t) * float(std::exp(-t * 30) * 0.4);
        Put(out, start + i, level * float(burst) * (band * 1.4f + body), Pan(0.05f));
    }
}

void HiHat(Stereo& out, int64_t start, float level, float decay, float pan, uint32_t seed) {
    Random random(seed);
    int64_t length = int64_t(SampleRate * decay * 5);
    LowPass low;
    Pan place(pan);
    const float step = float(std::exp(-1.0 / (decay * SampleRate)));
    float envelope = 1;
    for (int64_t i = 0; i < length; ++i) {
        float noise = random.Range(-1, 1);
        float high = noise - low.Run(noise, 7000, 0.7f);
        Put(out, start + i, level * high * envelope, place);
        envelope *= step;
    }
}

void Tom(Stereo& out, int64_t start, float level, float pitch, float pan) {
    int64_t length = SampleRate * 40 / 100;
    double phase = 0;
    Pan place(pan);
    for (int64_t i = 0; i < length; ++i) {
        double t = double(i) / SampleRate;
        phase += pitch * (1 + 0.6 * std::exp(-t * 20)) / SampleRate;
        Put(out, start + i, level * SineTurns(phase) * float(std::exp(-t * 9)), place);
    }
}

void Crash(Stereo& out, int64_t start, float level, uint32_t seed) {
    Random random(seed);
    int64_t length = SampleRate * 2;
    LowPass lowLeft, lowRight;
    for (int64_t i = 0; i < length; ++i) {
        double t = double(i) / SampleRate;
        float envelope = float(std::exp(-t * 2.2)) * std::min(1.0f, float(i) / 40.0f);
        float a = random.Range(-1, 1), b = random.Range(-1, 1);
        float left = a - lowLeft.Run(a, 3500, 0.7f), right = b - lowRight.Run(b, 3500, 0.7f);
        if (start + i >= 0 && start + i < int64_t(out.Frames())) {
            out.left[size_t(start + i)] += level * envelope * left;
            out.right[size_t(start + i)] += level * envelope * right;
        }
    }
}

void Riser(Stereo& out, int64_t start, int64_t end, float level, uint32_t seed) {
    Random random(seed);
    LowPass left, right;
    int64_t length = std::max<int64_t>(1, end - start);
    for (int64_t i = 0; i < length; ++i) {
        float t = float(i) / float(length);
        float cutoff = 300 + 7000 * t * t;
        float a = left.Run(random.Range(-1, 1), cutoff, 3), b = right.Run(random.Range(-1, 1), cutoff, 3);
        float envelope = level * t * t;
        if (start + i >= 0 && start + i < int64_t(out.Frames())) {
            out.left[size_t(start + i)] += envelope * a;
            out.right[size_t(start + i)] += envelope * b;
        }
    }
}

void BassNote(Stereo& out, int64_t start, int64_t length, double frequency, float level, float brightness) {
    Saw saw;
    saw.step = frequency / SampleRate;
    LowPass filter;
    int64_t release = std::min<int64_t>(length / 3, SampleRate / 50);
    const float step = float(std::exp(-9.0 / SampleRate));
    float sweep = 1;
    for (int64_t i = 0; i < length; ++i, sweep *= step) {
        double t = double(i) / SampleRate;
        float cutoff = 120 + brightness * 1400 * sweep;
        float value = filter.Run(saw.Next() * 0.7f + SineTurns(frequency * t) * 0.6f, cutoff, 1.4f);
        Put(out, start + i, level * value * Envelope(i, length, 40, release), Pan(0));
    }
}

void PadNote(Stereo& out, int64_t start, int64_t length, double frequency, float level, float pan, float brightness) {
    const double detune[3] = {-0.006, 0.0, 0.0071};
    Saw saws[3];
    for (int k = 0; k < 3; ++k) saws[k].step = frequency * (1 + detune[k]) / SampleRate, saws[k].phase = 0.31 * k;
    LowPass filter;
    Pan place(pan);
    int64_t attack = SampleRate * 6 / 10, release = SampleRate * 8 / 10;
    float cutoff = 0;
    for (int64_t i = 0; i < length + release; ++i) {
        // The slow filter sweep changes little between samples: update it every 32.
        if (i % 32 == 0) cutoff = float(400 + brightness * 2400 * (0.6 + 0.4 * std::sin(double(start + i) / SampleRate * 1.3)));
        float value = (saws[0].Next() + saws[1].Next() + saws[2].Next()) / 3;
        value = filter.Run(value, cutoff, 0.9f);
        float envelope = i < length ? std::min(1.0f, float(i) / float(attack))
                                    : std::min(1.0f, float(length) / float(attack)) * (1 - float(i - length) / float(release));
        Put(out, start + i, level * value * envelope, place);
    }
}

void PluckNote(Stereo& out, int64_t start, int64_t length, double frequency, float level, float pan, float brightness) {
    Saw saw;
    saw.step = frequency / SampleRate;
    LowPass filter;
    Pan place(pan);
    // Exponential decays by repeated multiplication: one exp per note instead of per sample.
    const float sweepStep = float(std::exp(-14.0 / SampleRate)), fadeStep = float(std::exp(-6.0 / SampleRate));
    float sweep = 1, fade = 1;
    for (int64_t i = 0; i < length; ++i) {
        double t = double(i) / SampleRate;
        float cutoff = 300 + brightness * 5000 * sweep;
        float value = filter.Run(saw.Next() + 0.5f * SineTurns(frequency * 2 * t), cutoff, 2.0f);
        Put(out, start + i, level * value * fade * Envelope(i, length, 20, 200), place);
        sweep *= sweepStep, fade *= fadeStep;
    }
}

void LeadNote(Stereo& out, int64_t start, int64_t length, double frequency, float level, float pan) {
    Saw a, b;
    a.step = frequency / SampleRate;
    b.step = frequency * 1.004 / SampleRate;
    LowPass filter;
    Pan place(pan);
    for (int64_t i = 0; i < length; ++i) {
        double t = double(i) / SampleRate;
        // A touch of delayed vibrato, like a held synth line.
        double vibrato = 1 + 0.004 * SineTurns(5.5 * t) * std::min(1.0, t * 3);
        a.step = frequency * vibrato / SampleRate;
        b.step = frequency * 1.004 * vibrato / SampleRate;
        float value = filter.Run((a.Next() + b.Next()) * 0.5f, float(1800 + 1600 * (1 - std::min(1.0, t * 4) * 0.9)), 1.3f);
        Put(out, start + i, level * value * Envelope(i, length, 300, SampleRate / 20), place);
    }
}

void PingPongDelay(Stereo& buffer, int delayFrames, float feedback, float wet) {
    std::vector<float> lineLeft(size_t(delayFrames), 0.0f), lineRight(size_t(delayFrames), 0.0f);
    size_t at = 0;
    for (size_t i = 0; i < buffer.Frames(); ++i) {
        float delayedLeft = lineLeft[at], delayedRight = lineRight[at];
        // Each echo crosses to the other side.
        lineLeft[at] = buffer.right[i] * 0.7f + delayedRight * feedback;
        lineRight[at] = buffer.left[i] * 0.7f + delayedLeft * feedback;
        buffer.left[i] += wet * delayedLeft;
        buffer.right[i] += wet * delayedRight;
        at = (at + 1) % size_t(delayFrames);
    }
}

void Reverb(const Stereo& send, Stereo& buffer, float wet, float roomSize) {
    // Schroeder: four damped combs in parallel, two all-passes in series, per side.
    const int combs[2][4] = {{1557, 1617, 1491, 1422}, {1580, 1640, 1514, 1445}};
    const int passes[2][2] = {{225, 556}, {248, 579}};
    for (int side = 0; side < 2; ++side) {
        std::vector<float>& channel = side == 0 ? buffer.left : buffer.right;
        const std::vector<float>& input = side == 0 ? send.left : send.right;
        std::vector<std::vector<float>> combLines(4), passLines(2);
        std::vector<size_t> combAt(4, 0), passAt(2, 0);
        std::vector<float> damp(4, 0.0f);
        for (int c = 0; c < 4; ++c) combLines[size_t(c)].assign(size_t(combs[side][c]), 0.0f);
        for (int p = 0; p < 2; ++p) passLines[size_t(p)].assign(size_t(passes[side][p]), 0.0f);
        for (size_t i = 0; i < channel.size() && i < input.size(); ++i) {
            float in = input[i] * 0.015f, sum = 0;
            for (size_t c = 0; c < 4; ++c) {
                float out = combLines[c][combAt[c]];
                damp[c] = out * 0.6f + damp[c] * 0.4f;
                combLines[c][combAt[c]] = in + damp[c] * roomSize;
                combAt[c] = (combAt[c] + 1) % combLines[c].size();
                sum += out;
            }
            for (size_t p = 0; p < 2; ++p) {
                float delayed = passLines[p][passAt[p]];
                float out = -sum + delayed;
                passLines[p][passAt[p]] = sum + delayed * 0.5f;
                passAt[p] = (passAt[p] + 1) % passLines[p].size();
                sum = out;
            }
            channel[i] += wet * sum;
        }
    }
}

}  // namespace bake
