#pragma once
// Geometry in buffer objects. The kernel's render buffers (model pieces, terrain
// chunks, merged models, grass cells) become one buffer object each, made and filled
// through the buffer's fill callback when the renderer first needs it or when the
// device makes the buffer with a context current, and made again after the context
// was made anew (a new generation). Geometry made every frame (particles, rain, marks,
// shadows, immediate geometry, the UI) is copied into a stream buffer, a buffer object
// written front to back and orphaned when full, so that steady frames allocate
// nothing.
#include <cstddef>
#include <cstdint>

#include "outside/gl/gl_api.h"

namespace quarn {
struct r_buffer_t;
}

namespace quarn::gl {

// The buffer object of a render buffer in the context of this generation, made and
// filled when it has none yet; 0 when it cannot be made (logged once).
GLuint gl_buffer_object(r_buffer_t *buffer, uint32_t generation);
// Deletes the buffer object when it belongs to this generation; forgets it anyway.
void gl_buffer_release(r_buffer_t *buffer, uint32_t generation);

class gl_stream_t {
public:
    // A buffer object of capacity bytes for target (vertices or indices), whose
    // later stores grow up to limit bytes; false (logged) when it cannot be made.
    bool init(GLenum target, size_t capacity, size_t limit);
    void release();
    GLuint name() const { return m_name; }
    // Copies bytes into the buffer at an offset aligned to align; the offset, or
    // false when the data can go nowhere. A push that does not fit orphans the buffer
    // (OpenGL keeps the old store for the draws that use it) and starts again at 0 in
    // a store twice as large, up to the limit; a push larger than that grows it more.
    bool push(const void *data, size_t bytes, size_t align, size_t *offset);

private:
    GLenum m_target = GL_ARRAY_BUFFER;
    GLuint m_name = 0;
    size_t m_capacity = 0;
    size_t m_limit = 0;
    size_t m_fill = 0;
};

}  // namespace quarn::gl
