#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "outside/qrnshared/qrnshared.h"
#include "program_run.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "test_module.h"

namespace quarn::test {
namespace {

class variables : public ::testing::Test {
protected:
    void SetUp() override {
        cmd_register_builtins();
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/home", false, 0);
        ASSERT_NE(m_mount, nullptr);
    }
    void TearDown() override {
        ufs_unmount(m_mount);
        fs_shutdown();
        for (cvar_t *v : {&a, &b, &c, &a_again, &x})
            if (v->hash) cvar_unregister_variable(v);
        cvar_free_dynamic();
    }

    cvar_t a{"alpha", "1", cvar_t::STORED};
    cvar_t b{"beta", "2"};  // not stored
    cvar_t c{"gamma", "three words here", cvar_t::STORED};
    cvar_t a_again{"alpha", "shadow"};
    cvar_t x{"x", "0", cvar_t::STORED};
    temp_dir_t dir;  // mounted at "/home"
    fs_device_t *m_mount = nullptr;
    message_capture_t log;
};

TEST_F(variables, names_hash_to_their_byte_sum) {
    EXPECT_EQ(cvar_hash(""), 13385u);
    EXPECT_EQ(cvar_hash("ab"), cvar_hash("ba"));
    EXPECT_EQ(cvar_hash("\xff"), uint32_t(-1)) << "bytes count as signed characters";
    cvar_t ab{"ab", "first"}, ba{"ba", "second"};
    cvar_register_variable(&ab);
    cvar_register_variable(&ba);
    EXPECT_EQ(cvar_get("ab"), &ab);
    EXPECT_EQ(cvar_get("ba"), &ba);
    EXPECT_EQ(cvar_get_list(), &ba) << "newest first";
    cvar_unregister_variable(&ab);
    cvar_unregister_variable(&ba);
}

TEST_F(variables, uset_makes_a_dynamic_variable_that_a_registration_adopts) {
    EXPECT_TRUE(cmd_execute("uset x 1"));
    cvar_t *dynamic = cvar_get("x");
    ASSERT_NE(dynamic, nullptr);
    EXPECT_EQ(dynamic->dynamic, 1);
    cvar_register_variable(&x);
    EXPECT_EQ(cvar_get("x"), &x) << "the dynamic record is gone";
    EXPECT_STREQ(x.get_text(), "1");
    EXPECT_STREQ(x.default_text, "0");
}

TEST_F(variables, a_second_static_registration_becomes_the_value_of_the_first) {
    cvar_register_variable(&a);
    cvar_register_variable(&a_again);
    EXPECT_EQ(cvar_get("alpha"), &a);
    EXPECT_EQ(a_again.hash, 0u) << "the shadow is not in the list";
    EXPECT_STREQ(a.get_text(), "shadow");
    EXPECT_TRUE(cmd_execute("alpha changed"));
    EXPECT_STREQ(a_again.get_text(), "changed") << "setting the first sets the one in effect";
    // Unregistering the shadow dissolves the link, which would dangle otherwise.
    cvar_unregister_variable(&a_again);
    EXPECT_EQ(a.link_target, nullptr);
    EXPECT_STREQ(a.get_text(), "1");
}

TEST_F(variables, refused_registrations_change_nothing) {
    cvar_register_variable(&a);
    a.set("kept");
    cvar_register_variable(&a);
    EXPECT_TRUE(log.contains("[cvar] Ignoring attempt to register a cvar 'alpha' for the second time."));
    EXPECT_STREQ(a.get_text(), "kept") << "a second registration keeps the value";

    cvar_t *d = new cvar_t;
    d->set_name("alpha");
    _cvar_register_variable(d, true);
    EXPECT_TRUE(log.contains("[cvar] error registering shadow variable 'alpha'"));
    EXPECT_EQ(d->hash, 0u);
    delete d;

    cvar_unregister_variable(&b);
    EXPECT_TRUE(log.contains("[cvar] Ignoring attempt to unregister an unregistered cvar 'beta'."));
}

TEST_F(variables, links_forward_reads_and_refuse_circles) {
    cvar_register_variable(&a);
    cvar_register_variable(&b);
    cvar_link(&a, &b);
    EXPECT_STREQ(a.get_text(), "2");
    EXPECT_EQ(b.linked_from, &a);
    cvar_link(&b, &a);
    EXPECT_TRUE(log.contains("would make a circle"));
    EXPECT_EQ(b.link_target, nullptr);
    cvar_unlink(&a);
    cvar_unlink(nullptr);
    cvar_link(nullptr, &a);
    EXPECT_STREQ(a.get_text(), "1");
    EXPECT_EQ(b.linked_from, nullptr);
}

bool refuse_negative(const cvar_t *, const char *value) { return value[0] != '-'; }
int changes = 0;
void count_change(cvar_t *) { ++changes; }

TEST_F(variables, hooks_check_and_hear_every_value) {
    cvar_t hooked{"hooked", "5", 0, refuse_negative, count_change};
    cvar_register_variable(&hooked);
    changes = 0;
    EXPECT_FALSE(hooked.set("-1"));
    EXPECT_TRUE(hooked.set("0x10"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(hooked.get_int(), 16);
    EXPECT_TRUE(hooked.set("2.5"));
    EXPECT_FLOAT_EQ(hooked.get_float(), 2.5f);
    cvar_t fixed{"fixed", "1", cvar_t::READ_ONLY};
    EXPECT_FALSE(fixed.set("2"));
    EXPECT_STREQ(fixed.get_text(), "1");
    cvar_unregister_variable(&hooked);
}

TEST_F(variables, over_long_names_and_values_are_cut_with_a_warning) {
    const std::string long_name(40, 'n'), long_value(80, 'v');
    EXPECT_TRUE(cmd_execute(("uset " + long_name + " " + long_value).c_str()));
    EXPECT_TRUE(log.contains("[cvar] Name '" + long_name + "' is longer than 31 characters"));
    EXPECT_TRUE(log.contains("is longer than 63 characters - cut"));
    const cvar_t *v = cvar_get(long_name.substr(0, 31).c_str());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(std::string(v->get_text()), long_value.substr(0, 63));
}

TEST_F(variables, the_configuration_file_byte_for_byte) {
    cvar_register_variable(&a);
    cvar_register_variable(&b);
    cvar_register_variable(&c);
    a.set("on");
    EXPECT_TRUE(cmd_execute("uset dyn 9"));  // made at run time: never written
    process_store_cfg("/home/config.cfg");
    EXPECT_EQ(read_file(dir.file("config.cfg")),
              "# quarn3d variable config data\r\n\r\n"
              "uset gamma \"three words here\"\r\n"
              "uset alpha \"on\"\r\n");

    // Read back as a command file into fresh registrations.
    cvar_unregister_variable(&a);
    cvar_unregister_variable(&c);
    a.set("1");
    c.set("x");
    EXPECT_TRUE(cmd_execute("exec /home/config.cfg"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("config.cfg.tmp")));
    cvar_register_variable(&a);
    cvar_register_variable(&c);
    EXPECT_STREQ(a.get_text(), "on");
    EXPECT_STREQ(c.get_text(), "three words here");
}

// Values are user data (a player's name, a bound command): each survives a store and
// an "exec" unchanged, and the second store writes the first one's bytes. A value
// longer than the record holds is cut once, when it is set.
TEST_F(variables, every_value_survives_store_and_exec) {
    const std::string long_value(255, 'v');
    for (const std::string &value :
         {std::string("Hunter #1"), std::string("say \"hi\""), std::string("C:\\games\\"), std::string("\\\""),
          std::string("a; b"), std::string("  two  blanks  "), std::string(""), std::string("#"),
          std::string("\"#\" \\# \\\"#"), long_value}) {
        SCOPED_TRACE(value);
        cvar_register_variable(&x);
        x.set(value.c_str());
        const std::string kept = x.get_text();
        EXPECT_EQ(kept, value.substr(0, 63));
        process_store_cfg("/home/config.cfg");
        const std::string first = read_file(dir.file("config.cfg"));

        cvar_unregister_variable(&x);
        x.set("0");
        EXPECT_TRUE(cmd_execute("exec /home/config.cfg"));
        cvar_register_variable(&x);  // adopts what the file made
        EXPECT_EQ(std::string(x.get_text()), kept);
        process_store_cfg("/home/config.cfg");
        EXPECT_EQ(read_file(dir.file("config.cfg")), first);
        cvar_unregister_variable(&x);
        cvar_free_dynamic();
    }
}

// A line break would start a command of its own inside the file: the value is left
// out, the other variables are stored.
TEST_F(variables, a_value_with_a_line_break_is_not_stored) {
    cvar_register_variable(&a);
    cvar_register_variable(&x);
    x.set("1\nexec other");
    process_store_cfg("/home/config.cfg");
    EXPECT_EQ(read_file(dir.file("config.cfg")), "# quarn3d variable config data\r\n\r\nuset alpha \"1\"\r\n");
    EXPECT_TRUE(log.contains("[cvar] Value of 'x' holds a line break - not stored"));
}

TEST_F(variables, a_failed_store_keeps_the_old_file) {
    write_file(dir.file("config.cfg"), "old settings");
    cvar_register_variable(&a);
    write_file(dir.file("config.cfg.tmp/blocker"), "");  // the temporary file cannot be made
    process_store_cfg("/home/config.cfg");
    EXPECT_EQ(read_file(dir.file("config.cfg")), "old settings");
    EXPECT_TRUE(log.contains("[cvar] Unable to open cvar file '/home/config.cfg.tmp' for writing."));

    process_store_cfg("/nowhere/config.cfg");
    EXPECT_TRUE(log.contains("/nowhere/config.cfg.tmp"));
}

// Files kept in memory: a device with no place in the operating system, where the
// configuration file cannot be renamed and is copied over instead.
class memory_device_t : public fs_device_t {
public:
    memory_device_t() : fs_device_t("", false) {}

    class string_file_t : public file_t {
    public:
        explicit string_file_t(std::string &bytes) : file_t("<string>"), m_bytes(bytes) {}

    protected:
        bool io_read(void *buf, uint32_t len, uint64_t offset) override {
            if (offset + len > m_bytes.size()) return false;
            memcpy(buf, m_bytes.data() + offset, len);
            return true;
        }
        bool io_write(const void *buf, uint32_t len, uint64_t offset) override {
            if (m_bytes.size() < offset + len) m_bytes.resize(offset + len);
            memcpy(m_bytes.data() + offset, buf, len);
            return true;
        }
        bool io_stat(fs_stat_t *out) override {
            out->type = FS_TYPE_FILE;
            out->size = m_bytes.size();
            return true;
        }

    private:
        std::string &m_bytes;
    };

    auto_ptr_t<file_t>::ret_t open(const string &path) override {
        auto it = files.find(path.c_str());
        return it == files.end() ? nullptr : auto_ptr_t<file_t>(new string_file_t(it->second));
    }
    auto_ptr_t<file_t>::ret_t create(const string &path) override {
        std::string &bytes = files[path.c_str()];
        bytes.clear();
        return auto_ptr_t<file_t>(new string_file_t(bytes));
    }
    bool remove(const string &path) override { return files.erase(path.c_str()) == 1; }
    bool stat(const string &path, fs_stat_t *out) override {
        auto it = files.find(path.c_str());
        if (it == files.end()) return false;
        out->type = FS_TYPE_FILE;
        out->size = it->second.size();
        return true;
    }

    std::map<std::string, std::string> files;
};

TEST_F(variables, a_file_without_a_place_in_the_system_is_copied_into_place) {
    memory_device_t memory;
    memory.files["/config.cfg"] = "old settings that are much longer than the new ones";
    ASSERT_TRUE(ufs_mount_device(&memory, "/mem", 10));
    cvar_register_variable(&a);
    process_store_cfg("/mem/config.cfg");
    EXPECT_EQ(memory.files["/config.cfg"], "# quarn3d variable config data\r\n\r\nuset alpha \"1\"\r\n");
    EXPECT_EQ(memory.files.count("/config.cfg.tmp"), 0u);
    ufs_unmount_device(&memory);
}

// What the boot showed at the moment the test module executed.
std::string seen_at_execute;

void look_around() {
    seen_at_execute.clear();
    for (const char *name : {"a", "b", "c", "qs_locale"}) {
        const cvar_t *v = cvar_get(name);
        seen_at_execute += std::string(name) + "=" + (v ? v->get_text() : "-") + (v && v->dynamic ? "d " : " ");
    }
}

TEST(variables_boot, env_values_come_before_the_layers_start_and_lenv_values_after) {
    temp_dir_t dir;
    message_capture_t log;
    test_module.on_execute = look_around;
    EXPECT_EQ(run_kernel_from(dir.path(), {"-env", "a=1", "qs_locale=de", "novalue", "-exec", "testmod", "-lenv",
                                           "c=3", "qs_locale=fr", "-env", "b=2"}),
              0);
    test_module.on_execute = nullptr;
    EXPECT_TRUE(log.contains("[qrnshared] started (locale de)")) << "adopted at registration";
    EXPECT_TRUE(log.contains("invalid env: novalue"));
    EXPECT_EQ(seen_at_execute, "a=1d b=2d c=3d qs_locale=fr ");
    EXPECT_EQ(cvar_get("a"), nullptr) << "dynamic variables are freed at shutdown";
    EXPECT_EQ(cvar_get("qs_locale"), nullptr) << "the layer unregistered its variable";
}

}  // namespace
}  // namespace quarn::test
