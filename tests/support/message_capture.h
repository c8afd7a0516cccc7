#pragma once
// Records every message dispatched while it exists, for tests of what is logged.
#include <string>
#include <vector>

#include "qrncore/system/messages.h"

namespace quarn::test {

class message_capture_t : public message_handler_t {
public:
    struct entry_t {
        std::string text;
        message_t::type_t type;
    };

    void process_message(const string &text, message_t::type_t type) override;

    const std::vector<entry_t> &entries() const { return m_entries; }
    // True when some recorded text contains the fragment.
    bool contains(const std::string &fragment) const;
    // Recorded texts of one level, in order.
    std::vector<std::string> texts(message_t::type_t type) const;
    void clear() { m_entries.clear(); }

private:
    std::vector<entry_t> m_entries;
};

}  // namespace quarn::test
