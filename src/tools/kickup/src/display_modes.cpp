#include "display_modes.h"

#include "number_text.h"
#include "platform/window.h"

namespace quarn::kickup {

namespace {

class system_display_t : public display_answers_t {
public:
    std::vector<display_mode_t> modes() const override {
        std::vector<platform::display_mode_info_t> info(size_t(platform::display_modes(nullptr, 0)));
        // The list may have shrunk between the two questions.
        const int listed = platform::display_modes(info.data(), int(info.size()));
        if (size_t(listed) < info.size()) info.resize(size_t(listed));
        std::vector<display_mode_t> out;
        for (size_t i = 0; i < info.size(); ++i)
            out.push_back({int32_t(i), info[i].width, info[i].height, info[i].bits, info[i].refresh, 0});
        return out;
    }
    bool desktop_mode(display_mode_t *mode) const override {
        int w = 0, h = 0, b = 0, r = 0;
        if (!platform::display_desktop_mode(&w, &h, &b, &r)) return false;
        *mode = {0, w, h, b, r, 0};
        return true;
    }
};

}  // namespace

display_mode_t display_mode_from_text(std::string_view text) {
    display_mode_t m;
    int32_t *fields[] = {&m.width, &m.height, &m.bits, &m.refresh};
    size_t pos = 0;
    for (int32_t *field : fields) {
        size_t used = 0;
        if (pos > text.size() || !read_signed_prefix(text.substr(pos), field, &used)) break;
        pos += used + 1;  // the separator, whatever it is
    }
    return m;
}

std::string display_mode_text(const display_mode_t &m) {
    return std::to_string(m.width) + "x" + std::to_string(m.height) + "x" + std::to_string(m.bits) + "x" +
           std::to_string(m.refresh);
}

std::unique_ptr<display_answers_t> system_display() { return std::make_unique<system_display_t>(); }

}  // namespace quarn::kickup
