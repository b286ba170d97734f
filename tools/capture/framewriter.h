// Frames written out while the show draws the next ones: each presented frame is copied into
// one of a few buffers, and a thread of its own converts it (reducing a supersampled frame to
// the size asked for) and hands it, in order, to the video encoder in the form it takes and as
// an RGB PNG file to the frames folder. A failure is kept and reported at the next frame and at the end.
#pragma once

#include "videoencoder.h"

#include <platform/display.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FrameWriter {
public:
    // video may be null; an empty framesFolder writes no PNG files. Frames come at supersample
    // times the size they are written at.
    FrameWriter(VideoEncoder* video, std::string framesFolder, unsigned supersample);
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;
    ~FrameWriter();

    // Copies show frame index to be written; waits while every buffer is taken. False with the
    // reason once a write has failed.
    bool Add(uint64_t index, const platform::FrameImage& frame, std::string& error);
    // Returns when every frame added is written; false with the first failure.
    bool Finish(std::string& error);

    // Frames written so far, and the bytes of their PNG files, for the size estimate.
    uint64_t FramesWritten() const { return framesWritten.load(std::memory_order_relaxed); }
    uint64_t PngBytes() const { return pngBytes.load(std::memory_order_relaxed); }

private:
    struct Buffer {
        uint64_t index = 0;
        platform::FrameImage frame{};
        std::vector<uint8_t> pixels;
    };
    // Enough to ride out a slow write without holding much memory.
    static constexpr size_t BufferCount = 4;

    void Work();
    bool WriteOut(const Buffer& buffer, std::string& error);

    VideoEncoder* const video;
    const std::string framesFolder;
    const unsigned supersample;
    Buffer buffers[BufferCount];
    size_t first = 0;  // the oldest buffer waiting to be written
    size_t waiting = 0;  // buffers added and not yet written, the one being written included
    bool stopping = false;
    std::string failure;
    std::vector<uint8_t> full, rgb, yuv;  // used by the writing thread only
    std::atomic<uint64_t> framesWritten{0};
    std::atomic<uint64_t> pngBytes{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::thread worker;
};
