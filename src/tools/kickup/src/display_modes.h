#pragma once
// Display modes as the launcher lists, writes and reads them: "800x600x32x0" is
// width, height, bits per pixel and refresh rate (0: the display's default rate).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::kickup {

struct display_mode_t {
    int32_t number = 0;  // position in the display's own list; 0 for modes made from text
    int32_t width = 0, height = 0, bits = 0, refresh = 0;
    int32_t flags = 0;

    // Equal in width, height, bits and refresh rate.
    bool same_as(const display_mode_t &o) const {
        return width == o.width && height == o.height && bits == o.bits && refresh == o.refresh;
    }
    bool same_size_and_depth(const display_mode_t &o) const {
        return width == o.width && height == o.height && bits == o.bits;
    }
};

// Four decimal numbers, each followed by one separator character, whatever it is.
// Reading stops at the first number that cannot be read; the numbers not read are 0.
display_mode_t display_mode_from_text(std::string_view text);
std::string display_mode_text(const display_mode_t &mode);

// What the launcher asks of the display; the tests give fakes.
class display_answers_t {
public:
    virtual ~display_answers_t() = default;
    // The modes the display offers, in its order, numbered by position.
    virtual std::vector<display_mode_t> modes() const = 0;
    // The desktop's current mode; false when there is no display to ask.
    virtual bool desktop_mode(display_mode_t *mode) const = 0;
};

// The first display of the window system (platform/window.h).
std::unique_ptr<display_answers_t> system_display();

}  // namespace quarn::kickup
