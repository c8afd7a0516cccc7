#pragma once
// Message boxes. The launcher's logic shows errors, warnings and one Yes/No question
// through a host: the GTK view puts them on screen, tests record them, and until a
// host is set they go to standard error.
#include <string>

#include "exceptions.h"

namespace quarn::kickup {

enum message_icon_t { MESSAGE_ERROR, MESSAGE_INFORMATION, MESSAGE_QUESTION };

class message_host_t {
public:
    virtual ~message_host_t() = default;
    virtual void show_message(const std::string &text, const std::string &caption, message_icon_t icon) = 0;
    // A question with the buttons Yes and No; true for Yes.
    virtual bool ask_yes_no(const std::string &text, const std::string &caption) = 0;
};

// Makes host the one messages go to; null restores the standard error writer, which
// answers every question with No.
void set_message_host(message_host_t *host);
message_host_t &message_host();

// An error box: the text, the caption string 113, the error icon.
void show_error(const std::string &text);
void show_error_string(int id);
// show_error of string 112, then "\n\nError was:  [", the message and "]".
void report_exception(const base_exception_t &e);

}  // namespace quarn::kickup
