#pragma once
// The launcher's failures: one flat tree of exceptions, each carrying the source unit
// that raised it, the line, its class name and a message. They are caught at the
// start-up, around the dialog and in the configuration reader, and shown through the
// message host (message_host.h). They never leave the launcher's own code: the
// toolkit's callbacks catch them at the view's boundary.
#include <cstdint>
#include <exception>
#include <string>

namespace quarn::kickup {

class base_exception_t : public std::exception {
public:
    base_exception_t(std::string source, int32_t line, std::string type_name, std::string message)
        : m_source(std::move(source)), m_line(line), m_type_name(std::move(type_name)),
          m_message(std::move(message)) {}

    const std::string &source() const { return m_source; }
    int32_t line() const { return m_line; }
    const std::string &type_name() const { return m_type_name; }
    const std::string &message() const { return m_message; }
    const char *what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_source;
    int32_t m_line;
    std::string m_type_name;
    std::string m_message;
};

#define KICKUP_EXCEPTION(name)                                                   \
    class name : public base_exception_t {                                       \
    public:                                                                      \
        name(std::string source, int32_t line, std::string message)              \
            : base_exception_t(std::move(source), line, #name, std::move(message)) {} \
    }

KICKUP_EXCEPTION(config_file_open_exception_t);
KICKUP_EXCEPTION(config_file_read_exception_t);
KICKUP_EXCEPTION(settings_file_exception_t);
KICKUP_EXCEPTION(settings_read_exception_t);
KICKUP_EXCEPTION(settings_fetch_exception_t);
KICKUP_EXCEPTION(settings_eof_exception_t);
KICKUP_EXCEPTION(registry_read_exception_t);
KICKUP_EXCEPTION(opengl_context_exception_t);
KICKUP_EXCEPTION(render_device_init_exception_t);
KICKUP_EXCEPTION(bad_spec_exception_t);
KICKUP_EXCEPTION(device_init_exception_t);

#undef KICKUP_EXCEPTION

// Throws an exception of the tree with the source unit of the file that raises it
// (each source file defines SOURCE_UNIT) and the line.
#define KICKUP_THROW(type, message) throw type(SOURCE_UNIT, __LINE__, (message))

}  // namespace quarn::kickup
