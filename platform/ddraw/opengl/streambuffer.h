// A GL buffer that draws' vertices or indices are written into one after another. When it is
// full it is started anew (orphaned), so no draw waits for an earlier one to finish and the
// frame loop allocates nothing.
#pragma once

#include <epoxy/gl.h>

#include <cstddef>

namespace opengl {

class StreamBuffer {
public:
    explicit StreamBuffer(GLenum target);
    ~StreamBuffer();
    StreamBuffer(const StreamBuffer&) = delete;
    StreamBuffer& operator=(const StreamBuffer&) = delete;

    // Copies the bytes in and leaves the buffer bound to its target; returns their offset.
    size_t Append(const void* data, size_t bytes);

private:
    GLenum target;
    GLuint buffer = 0;
    size_t capacity = 0;
    size_t used = 0;
};

}  // namespace opengl
