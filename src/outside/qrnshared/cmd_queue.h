#pragma once
// cmd_queue_t: command lines waiting for their owner, who runs them one after another
// (the kernel's cmd_process_queue). The kernel keeps registered queues in a list.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/strings/string.h"

namespace quarn {

class QRNSHARED_API cmd_queue_t {
public:
    cmd_queue_t() = default;
    ~cmd_queue_t();
    cmd_queue_t(const cmd_queue_t &) = delete;
    cmd_queue_t &operator=(const cmd_queue_t &) = delete;

    // Copies the line to the end; false when memory runs out.
    bool append(const string &line);
    // The first line, or null when the queue is empty.
    const char *peek() const;
    // Drops the first line; nothing when empty.
    void pop();
    bool is_empty() const { return m_head == nullptr; }
    // Drops every line.
    void reset();

    // Read and written by the kernel.
    int32_t id = -1;  // -1 while not registered
    cmd_queue_t *next = nullptr;
    int32_t resume = -1;  // -1 while the first line has not started

private:
    struct line_t;
    line_t *m_head = nullptr;
    line_t *m_tail = nullptr;
};

}  // namespace quarn
