#include "ddraw/opengl/framebuffer.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ddraw/opengl/glcontext.h"
#include "ddraw/opengl/passes.h"
#include "ddraw/opengl/textures.h"

#include <platform/glpresentation.h>

namespace opengl {

using software::ColourFormat;
using software::DepthFormat;

// Stands for the framebuffer on one of its surfaces, so the core can reach what was drawn.
class Framebuffer::Companion final : public SurfaceCompanion {
public:
    Companion(Framebuffer& owner, SurfaceMemory& surface) : owner(owner), surface(surface) { surface.companion = this; }
    void Leave() {
        surface.companion = nullptr;
        delete this;
    }

    void WriteBack() override {
        if (!MakeDeviceContextCurrent()) return;
        if (&surface == owner.colour)
            owner.WriteBackColour();
        else
            owner.WriteBackDepth();
    }
    FlipPicture Present(HWND window, DWORD refreshRate) override {
        if (&surface != owner.colour || !MakeDeviceContextCurrent()) {
            WriteBack();
            return FlipPicture::InMemory;
        }
        if (DrawingForDisplay()) {
            if (owner.PresentLive(window, refreshRate)) return FlipPicture::Shown;
            StopPresentingLive();
        }
        return owner.ReadBackAtFlip(window, refreshRate) ? FlipPicture::ReadingBack : FlipPicture::InMemory;
    }
    void FinishReadBack() override {
        if (MakeDeviceContextCurrent()) owner.FinishReadBack();
    }
    void SurfaceGone() override {
        // A picture still on its way belongs to a flip already made: it is not lost with the chain.
        FinishReadBack();
        owner.Gone(&surface);
    }

private:
    ~Companion() = default;

    Framebuffer& owner;
    SurfaceMemory& surface;
};

namespace {

GLenum DepthStorage(DepthFormat format) { return format == DepthFormat::Z16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24; }

// How GL stores a target's layout, and how its pixels travel to and from memory unchanged.
struct PixelLayout {
    GLenum storage, format, type;
    int bytes;
};

PixelLayout LayoutOf(ColourFormat layout) {
    switch (layout) {
    case ColourFormat::R5G6B5: return {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2};
    case ColourFormat::X1R5G5B5: return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2};
    default: return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4};
    }
}

// HELIOTROPIC_READBACK=blocking reads every flipped picture back at its flip, for comparing the
// two ways; by default (async) the read overlaps the next frame.
bool ReadBackOverlapped() {
    static const bool overlapped = [] {
        const char* wanted = std::getenv("HELIOTROPIC_READBACK");
        if (!wanted || !*wanted || std::strcmp(wanted, "async") == 0) return true;
        if (std::strcmp(wanted, "blocking") == 0) return false;
        std::fprintf(stderr, "HELIOTROPIC_READBACK=%s is not async or blocking; reading back asynchronously\n", wanted);
        return true;
    }();
    return overlapped;
}

}  // namespace

Framebuffer::Framebuffer() { glGenFramebuffers(1, &framebuffer); }

Framebuffer::~Framebuffer() {
    if (MakeDeviceContextCurrent()) {
        Detach();
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteTextures(1, &picture);
        glDeleteTextures(1, &depthUpload);
        glDeleteFramebuffers(1, &presentFramebuffer);
        glDeleteTextures(1, &presentTexture);
        glDeleteRenderbuffers(1, &depthBuffer);
        glDeleteBuffers(ReadBufferCount, readBuffers);
    }
}

void Framebuffer::Detach() {
    FinishReadBack();
    WriteBackColour();
    WriteBackDepth();
    if (colourCompanion) colourCompanion->Leave();
    if (depthCompanion) depthCompanion->Leave();
    colourCompanion = depthCompanion = nullptr;
    colour = depth = nullptr;
}

void Framebuffer::Gone(SurfaceMemory* surface) {
    if (surface == colour) {
        colourCompanion->Leave();
        colourCompanion = nullptr;
        colour = nullptr;
        colourDrawn = false;
    } else if (surface == depth) {
        depthCompanion->Leave();
        depthCompanion = nullptr;
        depth = nullptr;
        depthDrawn = false;
    }
}

bool Framebuffer::Attach(SurfaceMemory* newColour, SurfaceMemory* newDepth) {
    if (newColour == colour && newDepth == depth) return true;
    for (SurfaceMemory* surface : {newColour, newDepth}) {
        if (surface == nullptr || surface == colour || surface == depth) continue;
        ForgetMirror(*surface);
        if (surface->companion) return false;
    }
    Detach();
    colour = newColour;
    depth = newDepth;
    colourCompanion = new Companion(*this, *colour);
    depthCompanion = depth ? new Companion(*this, *depth) : nullptr;
    const ColourFormat newLayout = software::ColourFormatOf(colour->format);
    const DepthFormat newDepthLayout = depth ? software::DepthFormatOf(depth->format) : DepthFormat::Unsupported;
    colourChanges = colour->changes - 1;  // uploaded at the first use
    depthChanges = depth ? depth->changes - 1 : 0;

    const bool resized = width != (int)colour->width || height != (int)colour->height;
    width = (int)colour->width;
    height = (int)colour->height;
    if (resized || newLayout != layout || picture == 0) {
        const PixelLayout pixels = LayoutOf(newLayout);
        if (picture == 0) glGenTextures(1, &picture);
        glBindTexture(GL_TEXTURE_2D, picture);
        glTexImage2D(GL_TEXTURE_2D, 0, pixels.storage, width, height, 0, pixels.format, pixels.type, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, picture, 0);
    }
    layout = newLayout;
    if (depth && (resized || newDepthLayout != depthLayout || depthBuffer == 0)) {
        if (depthBuffer == 0) glGenRenderbuffers(1, &depthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, DepthStorage(newDepthLayout), width, height);
    }
    depthLayout = newDepthLayout;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth ? depthBuffer : 0);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void Framebuffer::Use(bool colourReplaced, bool depthReplaced) {
    if (colour && colour->changes != colourChanges) {
        if (colourReplaced)
            colourChanges = colour->changes;
        else
            UploadColour();
    }
    if (depth && depth->changes != depthChanges) {
        if (depthReplaced)
            depthChanges = depth->changes;
        else
            UploadDepth();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void Framebuffer::Changed(bool depthWritten) {
    colourDrawn = colour != nullptr;
    if (depthWritten && depth) depthDrawn = true;
}

bool Framebuffer::PresentLive(HWND window, DWORD refreshRate) {
    Use();  // what the CPU put into the surface since is part of the picture
    if (presentTexture == 0 || presentWidth != width || presentHeight != height) {
        if (presentTexture == 0) glGenTextures(1, &presentTexture);
        if (presentFramebuffer == 0) glGenFramebuffers(1, &presentFramebuffer);
        glBindTexture(GL_TEXTURE_2D, presentTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, presentFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, presentTexture, 0);
        presentWidth = width;
        presentHeight = height;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, presentFramebuffer);
    glDisable(GL_SCISSOR_TEST);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    GLsync drawn = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    return platform::PresentGlTexture(window, presentTexture, drawn, (DWORD)width, (DWORD)height, refreshRate);
}

bool Framebuffer::ReadBackAtFlip(HWND window, DWORD refreshRate) {
    if (!colourDrawn || !ReadBackOverlapped()) {
        FinishReadBack();
        WriteBackColour();
        return false;
    }
    const PixelLayout pixels = LayoutOf(layout);
    const size_t bytes = (size_t)width * pixels.bytes * height;
    if (bytes != readBufferBytes) {
        // The earlier picture's buffer is about to be resized: it is taken out first.
        FinishReadBack();
        if (readBuffers[0] == 0) glGenBuffers(ReadBufferCount, readBuffers);
        for (GLuint buffer : readBuffers) {
            glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            glBufferData(GL_PIXEL_PACK_BUFFER, (GLsizeiptr)bytes, nullptr, GL_STREAM_READ);
        }
        readBufferBytes = bytes;
    }
    // This picture's read is queued before the last one is copied out, so the two overlap.
    const GLuint buffer = readBuffers[nextReadBuffer];
    nextReadBuffer = (nextReadBuffer + 1) % ReadBufferCount;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, pixels.format, pixels.type, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    const GLsync fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    glFlush();
    FinishReadBack();
    uint8_t* destination = static_cast<uint8_t*>(colour->pixels);
    pending = PendingPicture{buffer, fence, destination,
                             platform::FrameImage{destination, colour->pitch, colour->width, colour->height, colour->format},
                             window, refreshRate};
    picturePending = true;
    // As after a write-back: the memory (the front's from this flip on) is where the picture lives.
    colourDrawn = false;
    return true;
}

void Framebuffer::FinishReadBack() {
    if (!picturePending) return;
    picturePending = false;
    const PixelLayout pixels = LayoutOf(software::ColourFormatOf(pending.image.format));
    const size_t rowBytes = (size_t)pending.image.width * pixels.bytes;
    const size_t bytes = rowBytes * pending.image.height;
    glClientWaitSync(pending.fence, GL_SYNC_FLUSH_COMMANDS_BIT, UINT64_MAX);
    glDeleteSync(pending.fence);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pending.buffer);
    const void* mapped = glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, (GLsizeiptr)bytes, GL_MAP_READ_BIT);
    const uint8_t* source = static_cast<const uint8_t*>(mapped);
    if (mapped == nullptr) {  // a driver that cannot map it still copies it out
        scratch.resize((bytes + 3) / 4);
        glGetBufferSubData(GL_PIXEL_PACK_BUFFER, 0, (GLsizeiptr)bytes, scratch.data());
        source = reinterpret_cast<const uint8_t*>(scratch.data());
    }
    for (DWORD y = 0; y < pending.image.height; ++y)
        std::memcpy(pending.destination + (ptrdiff_t)y * pending.image.pitch, source + y * rowBytes, rowBytes);
    if (mapped) glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    platform::PresentFrame(pending.window, pending.image, pending.refreshRate);
}

void Framebuffer::UploadColour() {
    const PixelLayout pixels = LayoutOf(layout);
    const size_t rowBytes = (size_t)width * pixels.bytes;
    scratch.resize((rowBytes * height + 3) / 4);
    uint8_t* rows = reinterpret_cast<uint8_t*>(scratch.data());
    for (int y = 0; y < height; ++y)
        std::memcpy(rows + y * rowBytes, static_cast<const uint8_t*>(colour->pixels) + (ptrdiff_t)y * colour->pitch, rowBytes);
    glBindTexture(GL_TEXTURE_2D, picture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, pixels.format, pixels.type, rows);
    colourChanges = colour->changes;
    colourDrawn = false;
}

void Framebuffer::UploadDepth() {
    // Depths as fractions of the buffer's largest value.
    scratch.resize((size_t)width * height);
    float* values = reinterpret_cast<float*>(scratch.data());
    const bool shallow = depthLayout == DepthFormat::Z16;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(depth->pixels) + (ptrdiff_t)y * depth->pitch;
        for (int x = 0; x < width; ++x) {
            if (shallow) {
                uint16_t z;
                std::memcpy(&z, row + 2 * x, 2);
                values[(size_t)y * width + x] = (float)(z / 65535.0);
            } else {
                uint32_t z;
                std::memcpy(&z, row + 4 * x, 4);
                values[(size_t)y * width + x] = (float)(z / 4294967295.0);
            }
        }
    }
    if (depthUpload == 0) glGenTextures(1, &depthUpload);
    glBindTexture(GL_TEXTURE_2D, depthUpload);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, width, height, 0, GL_RED, GL_FLOAT, values);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    DrawDepths(depthUpload);
    depthChanges = depth->changes;
    depthDrawn = false;
}

void Framebuffer::WriteBackColour() {
    if (!colourDrawn) return;
    const PixelLayout pixels = LayoutOf(layout);
    const size_t rowBytes = (size_t)width * pixels.bytes;
    scratch.resize((rowBytes * height + 3) / 4);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, pixels.format, pixels.type, scratch.data());
    const uint8_t* source = reinterpret_cast<const uint8_t*>(scratch.data());
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(colour->pixels) + (ptrdiff_t)y * colour->pitch, source + y * rowBytes, rowBytes);
    colourDrawn = false;
}

void Framebuffer::WriteBackDepth() {
    if (!depthDrawn) return;
    const bool shallow = depthLayout == DepthFormat::Z16;
    scratch.resize((size_t)width * height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, shallow ? GL_UNSIGNED_SHORT : GL_FLOAT, scratch.data());
    for (int y = 0; y < height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(depth->pixels) + (ptrdiff_t)y * depth->pitch;
        if (shallow) {
            std::memcpy(row, reinterpret_cast<const uint16_t*>(scratch.data()) + (size_t)y * width, (size_t)width * 2);
            continue;
        }
        const float* values = reinterpret_cast<const float*>(scratch.data()) + (size_t)y * width;
        for (int x = 0; x < width; ++x) {
            const uint32_t z = (uint32_t)std::floor(std::fmin(std::fmax(values[x], 0.0f), 1.0f) * 4294967295.0 + 0.5);
            std::memcpy(row + 4 * x, &z, 4);
        }
    }
    depthDrawn = false;
}

}  // namespace opengl
