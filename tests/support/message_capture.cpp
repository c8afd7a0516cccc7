#include "support/message_capture.h"

namespace quarn::test {

void message_capture_t::process_message(const string &text, message_t::type_t type) {
    m_entries.push_back({text.c_str(), type});
}

bool message_capture_t::contains(const std::string &fragment) const {
    for (const auto &e : m_entries)
        if (e.text.find(fragment) != std::string::npos) return true;
    return false;
}

std::vector<std::string> message_capture_t::texts(message_t::type_t type) const {
    std::vector<std::string> out;
    for (const auto &e : m_entries)
        if (e.type == type) out.push_back(e.text);
    return out;
}

}  // namespace quarn::test
