#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/kickup/src/exceptions.h"
#include "tools/kickup/src/message_host.h"
#include "tools/kickup/src/string_table.h"

namespace quarn::kickup {
namespace {

class recording_t : public message_host_t {
public:
    std::vector<std::string> texts, captions;
    std::vector<message_icon_t> icons;
    void show_message(const std::string &text, const std::string &caption, message_icon_t icon) override {
        texts.push_back(text);
        captions.push_back(caption);
        icons.push_back(icon);
    }
    bool ask_yes_no(const std::string &, const std::string &) override { return true; }
};

TEST(launcher_strings, texts_by_id_and_the_text_of_an_unknown_one) {
    EXPECT_EQ(load_resource_string(113), "Harlstock 3D");
    EXPECT_EQ(load_resource_string(142), "\xC3\x9C" "berblick");
    EXPECT_EQ(load_resource_string(153), "fernwold");
    EXPECT_EQ(load_resource_string(114), " ");
    EXPECT_EQ(load_resource_string(136),
              "Sie haben eine oder mehere Einstellungen f\xC3\xBCr Harlstock 3D ver\xC3\xA4ndeert.\n"
              "M\xC3\xB6" "chten Sie diese Einstellungen speichern?");
    EXPECT_EQ(load_resource_string(526), "__DISABLED_NOBODY_SHOULD_SEE_IT__");
    EXPECT_EQ(load_resource_string(608), "snddev");
    EXPECT_EQ(load_resource_string(0), "[0] resource id");
    EXPECT_EQ(load_resource_string(501), "[501] resource id");
    EXPECT_EQ(load_resource_string(-7), "[-7] resource id");
}

TEST(launcher_messages, errors_and_exceptions_go_to_the_host_with_the_product_caption) {
    recording_t host;
    set_message_host(&host);
    show_error_string(108);
    report_exception(bad_spec_exception_t("device_specs", 42, "Path id not valid:  [7]"));
    show_error(load_resource_string(112) + "\nUnknown Error");
    set_message_host(nullptr);
    show_error("to standard error, not to the host");

    ASSERT_EQ(host.texts.size(), 3u);
    EXPECT_EQ(host.texts[0], load_resource_string(108));
    EXPECT_EQ(host.texts[1],
              "Installation nicht vollst\xC3\xA4ndig. Bitte installieren Sie das Programm erneut von der CD.\n\n"
              "Error was:  [Path id not valid:  [7]]");
    EXPECT_EQ(host.texts[2], load_resource_string(112) + "\nUnknown Error");
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(host.captions[i], "Harlstock 3D");
        EXPECT_EQ(host.icons[i], MESSAGE_ERROR);
    }
    // Nobody to ask: No.
    EXPECT_FALSE(message_host().ask_yes_no("?", "c"));
}

TEST(launcher_exceptions, carry_their_unit_line_class_and_message) {
    try {
        throw config_file_read_exception_t("config_file", 17, "cvar had zero length");
    } catch (const base_exception_t &e) {
        EXPECT_EQ(e.source(), "config_file");
        EXPECT_EQ(e.line(), 17);
        EXPECT_EQ(e.type_name(), "config_file_read_exception_t");
        EXPECT_EQ(e.message(), "cvar had zero length");
        EXPECT_STREQ(e.what(), "cvar had zero length");
    }
    const base_exception_t plain("kickup", 3, "exception", "Quarn executable was not found:  [/x/fernwold]");
    EXPECT_EQ(plain.type_name(), "exception");
    const device_init_exception_t copy = device_init_exception_t("device_specs", 9, "No render devices found!");
    EXPECT_EQ(copy.type_name(), "device_init_exception_t");
}

}  // namespace
}  // namespace quarn::kickup
