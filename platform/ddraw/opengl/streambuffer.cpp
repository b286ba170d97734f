#include "ddraw/opengl/streambuffer.h"

#include <algorithm>

namespace opengl {

namespace {
constexpr size_t InitialCapacity = 4u << 20;
constexpr size_t Alignment = 16;  // keeps every attribute of every draw on a 4-byte boundary
}  // namespace

StreamBuffer::StreamBuffer(GLenum target) : target(target) { glGenBuffers(1, &buffer); }

StreamBuffer::~StreamBuffer() { glDeleteBuffers(1, &buffer); }

size_t StreamBuffer::Append(const void* data, size_t bytes) {
    glBindBuffer(target, buffer);
    if (bytes > capacity) {
        capacity = std::max(InitialCapacity, bytes);
        glBufferData(target, (GLsizeiptr)capacity, nullptr, GL_STREAM_DRAW);
        used = 0;
    } else if (used + bytes > capacity) {
        glBufferData(target, (GLsizeiptr)capacity, nullptr, GL_STREAM_DRAW);
        used = 0;
    }
    const size_t offset = used;
    glBufferSubData(target, (GLintptr)offset, (GLsizeiptr)bytes, data);
    used = (offset + bytes + Alignment - 1) / Alignment * Alignment;
    return offset;
}

}  // namespace opengl
