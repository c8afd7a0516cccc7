#include "outside/qrnshared/cmd_queue.h"

#include <cstring>

#include "qrncore/system/host_alloc.h"

namespace quarn {

// A line's text and terminator follow its record in the same allocation.
struct cmd_queue_t::line_t {
    line_t *next;
    char *text() { return reinterpret_cast<char *>(this + 1); }
};

cmd_queue_t::~cmd_queue_t() { reset(); }

bool cmd_queue_t::append(const string &line) {
    const size_t len = line.length();
    auto *node = static_cast<line_t *>(qrncore_system_new_vector(sizeof(line_t) + len + 1));
    if (!node) return false;
    node->next = nullptr;
    memcpy(node->text(), line.c_str(), len + 1);
    if (m_tail) m_tail->next = node;
    else m_head = node;
    m_tail = node;
    return true;
}

const char *cmd_queue_t::peek() const { return m_head ? m_head->text() : nullptr; }

void cmd_queue_t::pop() {
    line_t *node = m_head;
    if (!node) return;
    m_head = node->next;
    if (!m_head) m_tail = nullptr;
    qrncore_system_delete_vector(node);
}

void cmd_queue_t::reset() {
    while (m_head) pop();
}

}  // namespace quarn
