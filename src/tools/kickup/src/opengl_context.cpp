#include "opengl_context.h"

#include "exceptions.h"
#include "platform/gl_probe.h"

namespace quarn::kickup {

namespace {

constexpr const char *SOURCE_UNIT = "opengl_context";

int context_count = 0;

class system_gl_t : public gl_connector_t {
public:
    std::unique_ptr<gl_answers_t> connect() override { return opengl_context_create(); }
};

}  // namespace

opengl_context_t::opengl_context_t() {
    if (context_count > 0) KICKUP_THROW(opengl_context_exception_t, "An OpenGL render context already exists!");
    const platform::gl_probe_status_t status = platform::gl_probe_open();
    if (status == platform::GL_PROBE_BUSY)
        KICKUP_THROW(opengl_context_exception_t, "An OpenGL render context already exists!");
    if (status != platform::GL_PROBE_OK)
        KICKUP_THROW(opengl_context_exception_t, std::string(platform::gl_probe_failed_call(status)) + "() failed");
    ++context_count;
}

opengl_context_t::~opengl_context_t() {
    platform::gl_probe_close();
    --context_count;
}

std::string opengl_context_t::vendor() const { return platform::gl_probe_string(platform::GL_PROBE_VENDOR); }

std::string opengl_context_t::renderer() const { return platform::gl_probe_string(platform::GL_PROBE_RENDERER); }

std::string opengl_context_t::version() const { return platform::gl_probe_string(platform::GL_PROBE_VERSION); }

std::string opengl_context_t::extensions() const { return platform::gl_probe_string(platform::GL_PROBE_EXTENSIONS); }

bool opengl_context_t::get_integer(uint32_t enumerant, int32_t *value) const {
    return platform::gl_probe_integer(enumerant, value);
}

std::unique_ptr<gl_answers_t> opengl_context_create() { return std::make_unique<opengl_context_t>(); }

std::unique_ptr<gl_connector_t> system_gl() { return std::make_unique<system_gl_t>(); }

}  // namespace quarn::kickup
