#include "music.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <lame/lame.h>

#include "synth.h"

namespace bake {

const std::vector<uint32_t>& TimelineMarks() {
    static const std::vector<uint32_t> marks = {
        3000000,  3900000,  5700000,  5850000,  6100000,  6640000,  7350000,  7800000,  8200000,  8700000,  8780000,
        9760000,  10720000, 11500000, 11750000, 14700000, 15680000, 17650000, 18120000, 18610000, 19100000, 19600000,
        27500000, 29000000, 30000000, 31350000, 33330000, 35300000, 36280000, 37240000, 38220000, 39200000, 43000000};
    return marks;
}

namespace {
int64_t MarkFrame(int mark) { return int64_t(TimelineMarks()[size_t(mark)] / 4); }

// What plays between two marks.
struct Section {
    int fromMark;  // −1: the start of the piece
    bool kick, clap, hats, bass, pad, arp, lead, toms;
    int progression;
    float energy;      // 0..1: brightness and hat density
    bool riserBefore;  // a noise rise into the next section
};

// Sections follow the show: intro, echoes, arena, burst, swarm, avenue, hall, finale.
const Section sections[] = {
    {-1, false, false, false, false, true, true, false, false, 0, 0.2f, false},  // the sun rises
    {0, false, false, true, false, true, true, false, false, 0, 0.45f, true},    // build into the echoes
    {1, true, true, true, true, true, true, false, false, 0, 0.7f, false},       // echoes and credits
    {2, false, false, false, false, true, false, false, false, 0, 0.3f, true},   // a breath
    {3, true, true, true, true, true, true, false, false, 1, 0.75f, false},      // the arena
    {4, true, true, true, true, true, true, true, false, 1, 0.85f, false},       // the lead enters
    {6, false, false, true, false, true, true, true, false, 1, 0.5f, true},      // vision
    {7, true, true, true, true, true, true, true, true, 0, 1.0f, false},         // the burst
    {10, true, true, true, true, true, true, false, false, 2, 0.8f, false},      // camera one
    {11, false, false, true, true, true, true, true, false, 2, 0.6f, false},     // suspended
    {12, true, true, true, true, true, true, true, false, 0, 0.9f, false},       // camera five
    {13, false, false, false, false, true, false, true, false, 0, 0.4f, true},   // freedom
    {14, true, false, true, true, true, true, false, false, 3, 0.55f, false},    // flare swarm
    {15, false, false, false, true, true, true, false, false, 3, 0.35f, true},   // fading
    {16, true, true, true, true, false, true, false, true, 1, 0.9f, false},      // the avenue
    {17, true, true, true, true, true, true, true, true, 1, 1.0f, false},        // walkers
    {21, true, true, true, true, true, true, true, false, 2, 0.95f, false},      // the hall
    {22, true, false, true, true, true, true, true, false, 2, 0.7f, false},      // the ring
    {23, false, false, false, true, true, true, true, false, 2, 0.5f, false},    // change
    {24, false, false, false, false, true, true, false, false, 2, 0.3f, true},   // fading out
    {25, false, false, false, true, true, true, false, false, 3, 0.35f, true},   // the valley
    {26, true, false, true, true, true, true, false, false, 3, 0.7f, false},     // lights rising
    {27, true, true, true, true, true, true, true, true, 0, 1.0f, false},        // six copies
    {31, false, false, false, false, true, true, true, false, 0, 0.4f, false},   // the end
};
constexpr int SectionCount = int(sizeof(sections) / sizeof(sections[0]));

int64_t SectionStart(int s) { return sections[s].fromMark < 0 ? 0 : MarkFrame(sections[s].fromMark); }
int64_t SectionEnd(int s) { return s + 1 < SectionCount ? SectionStart(s + 1) : MarkFrame(32); }

int SectionAt(int64_t frame) {
    int found = 0;
    for (int s = 0; s < SectionCount; ++s)
        if (frame >= SectionStart(s)) found = s;
    return found;
}

// Chords as MIDI notes (three voices), two bars each, four per progression.
const int progressions[4][4][3] = {
    {{57, 60, 64}, {53, 57, 60}, {60, 64, 67}, {55, 59, 62}},  // Am F C G
    {{53, 57, 60}, {55, 59, 62}, {57, 60, 64}, {57, 60, 64}},  // F G Am Am
    {{50, 53, 57}, {57, 60, 64}, {53, 57, 60}, {52, 56, 59}},  // Dm Am F E
    {{57, 60, 64}, {52, 55, 59}, {53, 57, 60}, {55, 59, 62}},  // Am Em F G
};

const int* ChordAt(int progression, int64_t beat) { return progressions[progression][(beat / 8) % 4]; }

int64_t StepFrame(int64_t step) { return int64_t(std::llround(step * BeatFrames / 4)); }

// A melody over each chord: sixteenth-note positions within two bars and chord-tone choices.
struct MelodyNote {
    int step, length, tone, octave;
};
const MelodyNote melody[] = {
    {0, 3, 2, 1}, {3, 3, 1, 1}, {6, 2, 0, 1}, {8, 4, 1, 1}, {12, 4, 2, 1},
    {16, 3, 0, 2}, {19, 3, 2, 1}, {22, 2, 1, 1}, {24, 6, 0, 1}, {30, 2, 2, 0},
};

float Ramp(int64_t frame, int64_t start, int64_t length) {
    return std::clamp(float(frame - start) / float(std::max<int64_t>(1, length)), 0.0f, 1.0f);
}
}  // namespace

std::vector<int16_t> RenderMusic() {
    // Four buses: drums and effects, bass, pads, and the melodic lines that share one delay.
    Stereo drums(MusicFrames), bass(MusicFrames), pads(MusicFrames), melodic(MusicFrames);
    Stereo& fx = drums;
    Stereo& arps = melodic;
    Stereo& leads = melodic;
    std::vector<int64_t> kicks;
    const int64_t totalSteps = int64_t(MusicFrames / (BeatFrames / 4)) + 1;
    uint32_t seed = 1;

    for (int64_t step = 0; step < totalSteps; ++step) {
        int64_t frame = StepFrame(step);
        if (frame >= MarkFrame(32)) break;
        int s = SectionAt(frame);
        const Section& section = sections[s];
        int64_t beat = step / 4;
        int inBeat = int(step % 4), inBar = int(step % 16);
        const int* chord = ChordAt(section.progression, beat);
        float energy = section.energy;
        // The opening swells in over its first section.
        float intro = s == 0 ? 0.25f + 0.75f * Ramp(frame, 0, MarkFrame(0)) : 1.0f;

        if (section.kick && inBeat == 0) {
            bool halfTime = section.progression == 2 && section.fromMark == 10;
            if (!halfTime || inBar == 0 || inBar == 10) {
                Kick(drums, frame, 0.95f);
                kicks.push_back(frame);
            }
        }
        if (section.clap && (inBar == 4 || inBar == 12)) Clap(drums, frame, 0.55f, seed++);
        if (section.hats) {
            bool offbeat = inBeat == 2;
            bool sixteenth = energy > 0.8f && (inBeat == 1 || inBeat == 3);
            if (offbeat) HiHat(drums, frame, 0.16f * intro, energy > 0.9f && inBar == 14 ? 0.12f : 0.035f, 0.3f, seed++);
            else if (sixteenth) HiHat(drums, frame, 0.07f, 0.02f, -0.3f, seed++);
            else if (inBeat == 0 && !section.kick) HiHat(drums, frame, 0.12f * intro, 0.03f, 0.0f, seed++);
        }
        if (section.toms && inBar >= 12 && (beat / 4) % 4 == 3)
            Tom(drums, frame, 0.5f, 180.0f - 25.0f * float(inBar - 12), 0.4f - 0.25f * float(inBar - 12));
        if (section.bass) {
            int root = chord[0] - 24;
            if (energy >= 0.7f && inBeat == 2) BassNote(bass, frame, StepFrame(step + 2) - frame, NoteFrequency(root), 0.5f, energy);
            else if (energy >= 0.9f && inBeat == 3) BassNote(bass, frame, StepFrame(step + 1) - frame, NoteFrequency(root + 12), 0.3f, energy);
            else if (energy < 0.7f && inBar % 8 == 0) BassNote(bass, frame, StepFrame(step + 7) - frame, NoteFrequency(root), 0.5f, 0.3f);
        }
        if (section.pad && step % 32 == 0) {
            int64_t end = std::min(StepFrame(step + 32), SectionEnd(s) + int64_t(BeatFrames));
            for (int v = 0; v < 3; ++v)
                PadNote(pads, frame, end - frame, NoteFrequency(chord[v]), 0.13f * intro, -0.6f + 0.6f * v, 0.3f + 0.6f * energy);
            PadNote(pads, frame, end - frame, NoteFrequency(chord[0] - 12), 0.1f * intro, 0.0f, 0.2f + 0.4f * energy);
        }
        if (section.arp) {
            // Chord tones climbing over two octaves, a sixteenth each.
            int index = int(step % 8);
            int note = chord[index % 3] + 12 * (1 + index / 3 % 2);
            float brightness = s == 0 ? 0.1f + 0.5f * Ramp(frame, 0, MarkFrame(1)) : 0.2f + 0.7f * energy;
            PluckNote(arps, frame, StepFrame(step + 2) - frame, NoteFrequency(note), 0.16f * intro, inBeat % 2 ? 0.5f : -0.5f, brightness);
        }
        if (section.lead) {
            int inTwoBars = int(step % 32);
            for (const MelodyNote& m : melody)
                if (m.step == inTwoBars) {
                    int note = chord[m.tone] + 12 * m.octave;
                    LeadNote(leads, frame, StepFrame(step + m.length) - frame, NoteFrequency(note), 0.17f, 0.1f);
                }
        }
    }

    // Section edges: a crash on every mark where drums come in, rises into the marked builds.
    for (int s = 1; s < SectionCount; ++s) {
        if (sections[s].kick) Crash(fx, SectionStart(s), 0.32f, 1000u + uint32_t(s));
        if (sections[s - 1].riserBefore) Riser(fx, std::max(SectionStart(s - 1), SectionStart(s) - SampleRate * 4), SectionStart(s), 0.22f, 2000u + uint32_t(s));
    }
    for (int mark : {5, 8, 18, 19, 20, 28, 29, 30}) Crash(fx, MarkFrame(mark), 0.25f, 3000u + uint32_t(mark));
    // The last chord rings past the final mark and fades.
    for (int v = 0; v < 3; ++v)
        PadNote(pads, MarkFrame(32) - int64_t(BeatFrames * 4), int64_t(SampleRate * 6), NoteFrequency(progressions[0][0][v]), 0.14f, -0.6f + 0.6f * v, 0.4f);

    PingPongDelay(melodic, int(BeatFrames * 0.75), 0.33f, 0.4f);
    // Mix into the drum bus; the pad bus becomes the reverb send. Bass and pads duck under
    // each kick, so the beat breathes.
    Stereo& mix = drums;
    Stereo& send = pads;
    size_t nextKick = 0;
    const float duckLength = float(BeatFrames * 0.6);
    for (int64_t i = 0; i < MusicFrames; ++i) {
        while (nextKick < kicks.size() && kicks[nextKick] <= i) ++nextKick;
        float duck = 1;
        if (nextKick > 0 && float(i - kicks[nextKick - 1]) < duckLength) duck = 0.45f + 0.55f * float(i - kicks[nextKick - 1]) / duckLength;
        size_t k = size_t(i);
        float d = mix.left[k], e = mix.right[k];
        float p = pads.left[k] * duck, q = pads.right[k] * duck;
        mix.left[k] = d + bass.left[k] * duck + p + melodic.left[k];
        mix.right[k] = e + bass.right[k] * duck + q + melodic.right[k];
        send.left[k] = p + 0.55f * melodic.left[k] + 0.1f * d;
        send.right[k] = q + 0.55f * melodic.right[k] + 0.1f * e;
    }
    Reverb(send, mix, 1.0f, 0.84f);

    // Master: a short fade-in, a fade-out after the last mark, a soft limiter.
    std::vector<int16_t> out(size_t(MusicFrames) * 2);
    const int64_t fadeStart = MarkFrame(32), fadeLength = MusicFrames - fadeStart;
    for (int64_t i = 0; i < MusicFrames; ++i) {
        float gain = std::min(1.0f, float(i) / 2000.0f);
        if (i > fadeStart) gain *= std::pow(1.0f - float(i - fadeStart) / float(fadeLength), 2.0f);
        for (int c = 0; c < 2; ++c) {
            float value = (c == 0 ? mix.left : mix.right)[size_t(i)] * gain * 0.85f;
            value = std::tanh(value);
            out[size_t(i) * 2 + size_t(c)] = int16_t(std::lround(std::clamp(value, -1.0f, 1.0f) * 32000.0f));
        }
    }
    return out;
}


void BakeMusic(const std::string& folder, Progress& progress) {
    MakeDirectories(folder);
    std::vector<int16_t> audio = RenderMusic();
    const std::string path = folder + "/clone.mp3", temporary = PartPath(path);
    lame_global_flags* lame = lame_init();
    if (!lame) throw BakeError("cannot start the MP3 encoder");
    lame_set_in_samplerate(lame, SampleRate);
    lame_set_out_samplerate(lame, SampleRate);
    lame_set_num_channels(lame, 2);
    lame_set_brate(lame, 192);
    lame_set_quality(lame, 3);
    // The info tag tells decoders the exact delay and padding, so the decoded length is exact.
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        throw BakeError("the MP3 encoder refused its settings");
    }
    FILE* file = std::fopen(temporary.c_str(), "w+b");
    if (!file) {
        lame_close(lame);
        throw BakeError("cannot write " + temporary + ": " + std::strerror(errno));
    }
    bool failed = false;
    const int chunk = SampleRate;  // one second at a time
    std::vector<unsigned char> buffer(size_t(chunk) * 5 / 4 + 7200);
    for (int64_t at = 0; at < MusicFrames && !failed; at += chunk) {
        int frames = int(std::min<int64_t>(chunk, MusicFrames - at));
        int bytes = lame_encode_buffer_interleaved(lame, const_cast<short*>(&audio[size_t(at) * 2]), frames, buffer.data(), int(buffer.size()));
        failed = bytes < 0 || std::fwrite(buffer.data(), 1, size_t(bytes), file) != size_t(bytes);
    }
    if (!failed) {
        int bytes = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
        failed = bytes < 0 || std::fwrite(buffer.data(), 1, size_t(bytes), file) != size_t(bytes);
    }
    if (!failed) {
        std::fflush(file);
        lame_mp3_tags_fid(lame, file);
    }
    lame_close(lame);
    FinishPartFile(file, path, failed);
    progress.Step("music/clone.mp3");
}

}  // namespace bake
