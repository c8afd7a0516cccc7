#include "message_host.h"

#include <cstdio>

#include "string_table.h"

namespace quarn::kickup {

namespace {

class stderr_host_t : public message_host_t {
public:
    void show_message(const std::string &text, const std::string &caption, message_icon_t) override {
        fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    bool ask_yes_no(const std::string &text, const std::string &caption) override {
        fprintf(stderr, "%s: %s\n(no one to ask: No)\n", caption.c_str(), text.c_str());
        return false;
    }
};

stderr_host_t stderr_host;
message_host_t *current = &stderr_host;

}  // namespace

void set_message_host(message_host_t *host) { current = host ? host : &stderr_host; }

message_host_t &message_host() { return *current; }

void show_error(const std::string &text) { current->show_message(text, load_resource_string(113), MESSAGE_ERROR); }

void show_error_string(int id) { show_error(load_resource_string(id)); }

void report_exception(const base_exception_t &e) {
    show_error(load_resource_string(112) + "\n\nError was:  [" + e.message() + "]");
}

}  // namespace quarn::kickup
