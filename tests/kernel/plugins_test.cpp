#include <gtest/gtest.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "kernel/plugins.h"
#include "kernel/process_table.h"
#include "kernel_fixture.h"
#include "outside/qrnshared/qrnshared.h"
#include "program_run.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "test_module.h"

// Modules compiled into the test program, each recording the operations called on it.
namespace {

struct recording_ops_t : quarn::dl_ops_t {
    explicit recording_ops_t(const char *refuse_operation = "") : refuse(refuse_operation) {}
    bool call(const char *op) {
        calls.push_back(op);
        return refuse != op;
    }
    bool dl_symbols(void *, void *) override { return call("symbols"); }
    bool dl_register(void *, void *) override { return call("register"); }
    bool dl_unregister(void *, void *) override { return call("unregister"); }
    bool dl_execute(void *, void *, unsigned, void *) override { return call("execute"); }

    std::string refuse;
    std::vector<std::string> calls;
};

recording_ops_t good_ops, symfail_ops("symbols"), regfail_ops("register"), execfail_ops("execute"),
    unregfail_ops("unregister"), progmod_ops;

}  // namespace

#define RECORDING_ENTRY(name) \
    extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t *name##_get_dl_ops() { return &name##_ops; }
RECORDING_ENTRY(good)
RECORDING_ENTRY(symfail)
RECORDING_ENTRY(regfail)
RECORDING_ENTRY(execfail)
RECORDING_ENTRY(unregfail)
RECORDING_ENTRY(progmod)
#undef RECORDING_ENTRY

namespace quarn::test {
namespace {

using calls_t = std::vector<std::string>;
const std::string plugins_dir = test_plugins_dir();

bool is_loaded(const std::string &path) {
    void *h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

// A running scheduler with the shared layer bound to this program, so that a
// plug-in's guard process asks for its module's unloading as in the real program.
class plugin_loader : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        for (recording_ops_t *ops : {&good_ops, &symfail_ops, &regfail_ops, &execfail_ops, &unregfail_ops, &progmod_ops})
            ops->calls.clear();
        dll_table_forget();
        qrnshared_init(dl_lib_t::get_main_handle());
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();
        qrnshared_shutdown();
        dll_table_forget();
    }

    // Stops the named process and runs passes until it is gone.
    void stop(const char *name) {
        vprocess_t *p = process_get(name);
        ASSERT_NE(p, nullptr) << name;
        p->shutdown(false);
        for (int i = 0; i < 3; ++i) kernel_step();
        ASSERT_EQ(process_get(name), nullptr) << name;
    }

    int count(const std::string &text) {
        int n = 0;
        for (const auto &t : log.texts(message_t::MESSAGE)) n += t == text;
        return n;
    }

    message_capture_t log;
};

TEST_F(plugin_loader, an_entry_in_the_program_loads_no_file) {
    temp_dir_t dir;
    const std::string file = dir.file("progmod.so");
    std::filesystem::copy_file(plugins_dir + "/testplug.so", file);
    dl_lib_t lib(dir.file("progmod").c_str());
    ASSERT_TRUE(lib.register_only());
    EXPECT_EQ(lib.get_module(), dl_lib_t::get_main_handle());
    EXPECT_FALSE(is_loaded(file)) << "the file of that name stays unopened";
    EXPECT_EQ(progmod_ops.calls, (calls_t{"symbols", "register"}));
    // Unregistering a module of the program never closes the program.
    EXPECT_TRUE(lib.unregister());
    EXPECT_EQ(lib.get_module(), nullptr);
    EXPECT_NE(dlsym(dl_lib_t::get_main_handle(), "progmod_get_dl_ops"), nullptr);
}

TEST_F(plugin_loader, libraries_that_cannot_serve_are_released_and_logged) {
    const std::string noentry = plugins_dir + "/noentry";
    dl_lib_t lib(noentry.c_str());
    EXPECT_FALSE(lib.register_only());
    EXPECT_TRUE(log.contains("[sys] '" + noentry + ".so' is not a Quarn3D dynamic library - misses entrypoint "
                             "'noentry_get_dl_ops'"));
    EXPECT_FALSE(is_loaded(noentry + ".so")) << "released again";
    EXPECT_EQ(lib.get_module(), nullptr);
    EXPECT_EQ(lib.get_ops(), nullptr);

    dl_lib_t missing("no/such/library");
    EXPECT_FALSE(missing.register_only());
    EXPECT_TRUE(log.contains("[sys] Can't load library 'no/such/library.so': "));
    EXPECT_TRUE(log.contains("[sys] Can not load the library 'no/such/library.so'"));

    dl_lib_t long_name(std::string(300, 'n').c_str());
    EXPECT_FALSE(long_name.register_only());
    EXPECT_TRUE(log.contains("[sys] Library name too long"));
}

TEST_F(plugin_loader, operations_run_in_order_and_a_refusal_undoes_the_load) {
    struct case_t {
        const char *name;
        recording_ops_t *ops;
        bool ok;
        calls_t calls;
    };
    const case_t cases[] = {
        {"good", &good_ops, true, {"symbols", "register", "execute"}},
        {"symfail", &symfail_ops, false, {"symbols"}},  // register is never called
        {"regfail", &regfail_ops, false, {"symbols", "register"}},
        {"execfail", &execfail_ops, false, {"symbols", "register", "execute", "unregister"}},
    };
    for (const auto &c : cases) {
        dl_lib_t lib(c.name);
        EXPECT_EQ(lib.register_and_execute(0, nullptr), c.ok) << c.name;
        EXPECT_EQ(c.ops->calls, c.calls) << c.name;
        EXPECT_EQ(lib.get_module() != nullptr, c.ok) << c.name;
    }
    dl_lib_t refusing("unregfail");
    ASSERT_TRUE(refusing.register_only());
    EXPECT_FALSE(refusing.unregister());
    EXPECT_NE(refusing.get_ops(), nullptr) << "a refused unregister keeps the plug-in";
}

TEST_F(plugin_loader, a_real_library_loads_binds_and_leaves_after_its_process) {
    const std::string path = plugins_dir + "/testplug";
    dl_lib_t *slot = dll_register(path.c_str());
    ASSERT_NE(slot, nullptr);
    EXPECT_TRUE(is_loaded(path + ".so"));
    EXPECT_NE(slot->get_module(), dl_lib_t::get_main_handle());
    EXPECT_NE(dll_lookup_code(slot, "testplug_get_dl_ops"), nullptr);
    EXPECT_EQ(dll_lookup_data(slot, "nothing_of_that_name"), nullptr);
    EXPECT_TRUE(log.contains("[testplug] symbols"));
    EXPECT_TRUE(log.contains("[testplug] registered"));
    // Its guard process belongs to the scheduler; once it is gone the module is
    // unloaded after the pass.
    stop("testplug");
    EXPECT_TRUE(log.contains("[testplug] process destroyed"));
    EXPECT_EQ(count("[testplug] unregistered"), 1);
    EXPECT_FALSE(is_loaded(path + ".so"));
    EXPECT_EQ(dll_count(), 0u);
}

TEST_F(plugin_loader, the_table_holds_each_name_once) {
    dl_lib_t *first = dll_register("good");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(dll_register("good"), first);
    EXPECT_EQ(good_ops.calls, (calls_t{"symbols", "register"})) << "loaded once";
    EXPECT_EQ(dll_count(), 1u);
    EXPECT_EQ(dll_register_and_execute("good", 0, nullptr), nullptr);
    EXPECT_TRUE(log.contains("[sys] Tried to register and execute library that is already registered - 'good'"));
    EXPECT_EQ(dll_handle(nullptr), dl_lib_t::get_main_handle());
    EXPECT_EQ(dll_handle(first), dl_lib_t::get_main_handle());
    EXPECT_NE(dll_lookup_code(first, "good_get_dl_ops"), nullptr);
    EXPECT_EQ(dll_register("symfail"), nullptr);
    EXPECT_EQ(dll_count(), 1u);
}

TEST_F(plugin_loader, unloading_waits_for_the_pass_and_happens_once) {
    const std::string path = plugins_dir + "/testplug";
    dl_lib_t *slot = dll_register(path.c_str());
    ASSERT_NE(slot, nullptr);
    void *module = slot->get_module();
    vprocess_t *p = process_get("testplug");
    ASSERT_NE(p, nullptr);
    p->shutdown(false);
    kernel_step();
    kernel_step();
    // Queued here and again by the guard process when it is killed in the next pass.
    dll_ready_to_unload(module);
    EXPECT_TRUE(is_loaded(path + ".so")) << "nothing happens inside the pass";
    kernel_step();
    EXPECT_FALSE(is_loaded(path + ".so"));
    EXPECT_EQ(count("[testplug] unregistered"), 1) << "queued twice, unregistered once";

    dll_ready_to_unload(nullptr);
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
    dll_ready_to_unload(this);
    EXPECT_TRUE(log.contains("[sys] There is no library with supplied handle."));

    dl_lib_t *refusing = dll_register("unregfail");
    ASSERT_NE(refusing, nullptr);
    dll_ready_to_unload(refusing->get_module());
    kernel_unload_plugins();
    kernel_unload_plugins();
    EXPECT_EQ(dll_count(), 1u) << "a refusing plug-in stays, and leaves the queue";
    EXPECT_EQ(unregfail_ops.calls, (calls_t{"symbols", "register", "unregister"}));
}

TEST(plugin_table_death, the_32nd_library_ends_the_program_with_1) {
    std::vector<std::string> names;
    for (int i = 0; i < 32; ++i) names.push_back("slot" + std::to_string(i) + "/good");
    std::vector<const char *> args{"kernel_tests", "-nocpu", "-load"};
    for (const auto &n : names) args.push_back(n.c_str());
    args.push_back("-exec");
    args.push_back("testmod");
    // Only errors reach standard error, where the death test looks.
    struct errors_out_t : message_handler_t {
        void process_message(const string &text, message_t::type_t type) override {
            if (type == message_t::ERROR) fprintf(stderr, "%s\n", text.c_str());
        }
    };
    EXPECT_EXIT(
        {
            errors_out_t out;
            dll_table_forget();
            kernel_main(int(args.size()), const_cast<char **>(args.data()));
        },
        ::testing::ExitedWithCode(1), "Too many libraries in the system - can not add 'slot31/good.so'");
}

}  // namespace
}  // namespace quarn::test
