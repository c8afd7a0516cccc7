#include "outside/gl/gl_buffers.h"

#include <cstring>

#include "outside/visbase/render.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn::gl {

namespace {

// A render buffer's words: the buffer object's name and the generation of the
// context it lives in (0: none made).
GLuint name_of(const r_buffer_t *b) { return GLuint(reinterpret_cast<uintptr_t>(b->device_words[0])); }
uint32_t generation_of(const r_buffer_t *b) { return uint32_t(reinterpret_cast<uintptr_t>(b->device_words[1])); }

void set_words(r_buffer_t *b, GLuint name, uint32_t generation) {
    b->device_words[0] = reinterpret_cast<void *>(uintptr_t(name));
    b->device_words[1] = reinterpret_cast<void *>(uintptr_t(generation));
}

// The buffer's content through its fill callback, into mapped memory where the
// driver maps it, else through a copy.
void fill(r_buffer_t *b) {
    if (!b->fill || b->size == 0) return;
    void *mapped = glMapBufferRange(GL_COPY_WRITE_BUFFER, 0, b->size, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
    if (mapped) {
        b->fill(b, mapped);
        glUnmapBuffer(GL_COPY_WRITE_BUFFER);
        return;
    }
    void *copy = qrncore_system_new_vector(b->size);
    if (!copy) {
        error("[gl] Out of memory to fill a render buffer of %u bytes", b->size);
        return;
    }
    memset(copy, 0, b->size);
    b->fill(b, copy);
    glBufferSubData(GL_COPY_WRITE_BUFFER, 0, b->size, copy);
    qrncore_system_delete_vector(copy);
}

}  // namespace

GLuint gl_buffer_object(r_buffer_t *b, uint32_t generation) {
    if (!b) return 0;
    if (generation_of(b) == generation && name_of(b)) return name_of(b);
    GLuint name = 0;
    glGenBuffers(1, &name);
    if (!name) return 0;
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    // A buffer of no size still gets a store, so that it binds like any other.
    glBufferData(GL_COPY_WRITE_BUFFER, b->size ? b->size : 16, nullptr, GL_STATIC_DRAW);
    fill(b);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    set_words(b, name, generation);
    return name;
}

void gl_buffer_release(r_buffer_t *b, uint32_t generation) {
    if (!b) return;
    const GLuint name = name_of(b);
    if (name && generation_of(b) == generation) glDeleteBuffers(1, &name);
    set_words(b, 0, 0);
}

bool gl_stream_t::init(GLenum target, size_t capacity, size_t limit) {
    release();
    m_target = target;
    glGenBuffers(1, &m_name);
    if (!m_name) {
        error("[gl] No buffer object for the frame's geometry");
        return false;
    }
    glBindBuffer(GL_COPY_WRITE_BUFFER, m_name);
    glBufferData(GL_COPY_WRITE_BUFFER, capacity, nullptr, GL_STREAM_DRAW);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    m_capacity = capacity;
    m_limit = limit;
    m_fill = 0;
    return true;
}

void gl_stream_t::release() {
    if (m_name) glDeleteBuffers(1, &m_name);
    m_name = 0;
    m_capacity = m_fill = 0;
}

bool gl_stream_t::push(const void *data, size_t bytes, size_t align, size_t *offset) {
    if (!m_name || bytes == 0) return false;
    size_t at = (m_fill + align - 1) / align * align;
    glBindBuffer(GL_COPY_WRITE_BUFFER, m_name);
    if (at + bytes > m_capacity) {
        // Orphaned: draws queued on the old store keep it; this one starts afresh.
        if (m_capacity < m_limit) m_capacity = m_capacity * 2 < m_limit ? m_capacity * 2 : m_limit;
        while (m_capacity < bytes) m_capacity *= 2;
        glBufferData(GL_COPY_WRITE_BUFFER, m_capacity, nullptr, GL_STREAM_DRAW);
        at = 0;
    }
    // Written where no draw of the buffer's store reads: the write need not wait for
    // the draws queued before it (a synchronised write would make the driver finish
    // them first, draw after draw).
    void *to = glMapBufferRange(GL_COPY_WRITE_BUFFER, at, bytes,
                                GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT);
    if (to) {
        memcpy(to, data, bytes);
        glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    } else {
        glBufferSubData(GL_COPY_WRITE_BUFFER, at, bytes, data);
    }
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    m_fill = at + bytes;
    *offset = at;
    return true;
}

}  // namespace quarn::gl
