#include "framewriter.h"

#include "pixels.h"
#include "pngfile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

FrameWriter::FrameWriter(VideoEncoder* video, std::string framesFolder, unsigned supersample)
    : video(video), framesFolder(std::move(framesFolder)), supersample(supersample), worker(&FrameWriter::Work, this) {}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    worker.join();
}

bool FrameWriter::Add(uint64_t index, const platform::FrameImage& frame, std::string& error) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return waiting < BufferCount || !failure.empty(); });
    if (!failure.empty()) {
        error = failure;
        return false;
    }
    Buffer& buffer = buffers[(first + waiting) % BufferCount];
    lock.unlock();
    // The writing thread leaves this buffer alone until it is counted as waiting.
    const size_t bytes = size_t(frame.pitch) * frame.height;
    buffer.pixels.resize(bytes);
    std::memcpy(buffer.pixels.data(), frame.pixels, bytes);
    buffer.index = index;
    buffer.frame = frame;
    buffer.frame.pixels = buffer.pixels.data();
    lock.lock();
    ++waiting;
    changed.notify_all();
    return true;
}

bool FrameWriter::Finish(std::string& error) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return waiting == 0 || !failure.empty(); });
    if (failure.empty()) return true;
    error = failure;
    return false;
}

bool FrameWriter::WriteOut(const Buffer& buffer, std::string& error) {
    // Each conversion at most once: YUV straight from the frame where its layout allows,
    // otherwise from the RGB the PNG files take too.
    const bool yuvVideo = video && !video->TakesRgb();
    const bool yuvMade = yuvVideo && supersample <= 1 && FrameToYuv(buffer.frame, video->HalvesChroma(), yuv);
    if ((!framesFolder.empty() || (video && !yuvMade)) && !FrameToRgb(buffer.frame, supersample, full, rgb)) {
        error = "the display presented a frame in a pixel format the capture cannot read";
        return false;
    }
    const unsigned width = buffer.frame.width / supersample, height = buffer.frame.height / supersample;
    if (yuvVideo && !yuvMade) RgbToYuv(rgb, width, height, video->HalvesChroma(), yuv);
    if (video && !video->Write(yuvVideo ? yuv : rgb, error)) return false;
    if (!framesFolder.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06llu.png", (unsigned long long)buffer.index);
        const std::string path = framesFolder + name;
        if (!WritePng(path, rgb, width, height, error)) return false;
        std::error_code unknown;
        const uintmax_t size = std::filesystem::file_size(path, unknown);
        if (!unknown) pngBytes.fetch_add(size, std::memory_order_relaxed);
    }
    framesWritten.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void FrameWriter::Work() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return waiting > 0 || stopping; });
        if (waiting == 0) return;
        const Buffer& buffer = buffers[first];
        lock.unlock();
        // After a failure the remaining frames are only let go.
        std::string error;
        const bool written = failure.empty() && WriteOut(buffer, error);
        lock.lock();
        if (!written && failure.empty()) failure = error;
        first = (first + 1) % BufferCount;
        --waiting;
        changed.notify_all();
    }
}
