#pragma once
// The OpenGL driver as the probe asks it: identification texts, the extension string
// and integer queries, answered by a temporary context that lives only while the
// probe runs. The real context stands on platform/gl_probe.h; tests give fakes.
#include <cstdint>
#include <memory>
#include <string>

namespace quarn::kickup {

class gl_answers_t {
public:
    virtual ~gl_answers_t() = default;
    virtual std::string vendor() const = 0;
    virtual std::string renderer() const = 0;
    virtual std::string version() const = 0;
    virtual std::string extensions() const = 0;
    // glGetIntegerv; false when the driver refuses the enumerant.
    virtual bool get_integer(uint32_t enumerant, int32_t *value) const = 0;
};

// Opens the temporary context; released with the answers it returns.
class gl_connector_t {
public:
    virtual ~gl_connector_t() = default;
    // Throws opengl_context_exception_t when no context can be made.
    virtual std::unique_ptr<gl_answers_t> connect() = 0;
};

// The temporary context of the machine's driver. One exists at a time: a second one
// throws "An OpenGL render context already exists!"; a failing EGL call throws
// "<call>() failed". Destroying it makes no context current and deletes it.
class opengl_context_t : public gl_answers_t {
public:
    opengl_context_t();
    ~opengl_context_t() override;
    opengl_context_t(const opengl_context_t &) = delete;
    opengl_context_t &operator=(const opengl_context_t &) = delete;

    std::string vendor() const override;
    std::string renderer() const override;
    std::string version() const override;
    std::string extensions() const override;
    bool get_integer(uint32_t enumerant, int32_t *value) const override;
};

std::unique_ptr<gl_answers_t> opengl_context_create();
// A connector that opens opengl_context_t.
std::unique_ptr<gl_connector_t> system_gl();

}  // namespace quarn::kickup
