#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

// Every handler call of the recording commands: the words and the resume value.
std::vector<std::string> calls;

std::string joined(const cmd_context_t *c) {
    std::string s = std::to_string(c->resume) + ":";
    for (uint32_t i = 0; i < c->argc(); ++i) s += std::string(i ? "|" : "") + c->argv(i);
    return s;
}

int record_done(const cmd_context_t *c) {
    calls.push_back(joined(c));
    return cmd_t::DONE;
}

// Asks to be resumed twice, with 0 and then 1.
int record_slow(const cmd_context_t *c) {
    calls.push_back(joined(c));
    return c->resume < 1 ? c->resume + 1 : cmd_t::DONE;
}

int record_failed(const cmd_context_t *c) {
    calls.push_back(joined(c));
    return cmd_t::FAILED;
}

class console : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        cmd_register_builtins();
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/t", false, 0);
        ASSERT_NE(m_mount, nullptr);
    }
    void TearDown() override {
        ufs_unmount(m_mount);
        fs_shutdown();
        for (cmd_t *c : {&now, &queued, &slow, &failing}) cmd_unregister_command(c);
        cmd_unregister_queue(&queue);
        if (volume.hash) cvar_unregister_variable(&volume);
        cvar_free_dynamic();
    }

    cmd_t now{"now", record_done};
    cmd_t queued{"queued", record_done};
    cmd_t slow{"slow", record_slow};
    cmd_t failing{"failing", record_failed};
    cmd_queue_t queue;
    cvar_t volume{"s_sfx_volume", "1.0", cvar_t::STORED};
    temp_dir_t dir;  // mounted at "/t"
    fs_device_t *m_mount = nullptr;
    message_capture_t log;
};

TEST_F(console, lines_run_at_once_or_wait_in_their_queue) {
    _cmd_register_command(&now, -1);
    _cmd_register_command(&queued, 7);
    _cmd_register_command(&slow, 7);
    ASSERT_TRUE(cmd_register_queue(&queue, 7));

    EXPECT_TRUE(cmd_execute("now  a   b"));
    EXPECT_TRUE(cmd_execute("slow x"));
    EXPECT_TRUE(cmd_execute("queued y"));
    EXPECT_EQ(calls, (std::vector<std::string>{"-1:now|a|b"})) << "queued lines wait for their owner";
    EXPECT_TRUE(log.contains("now  a   b")) << "a line run now is logged";

    cmd_process_queue(7);
    cmd_process_queue(7);
    EXPECT_EQ(calls, (std::vector<std::string>{"-1:now|a|b", "-1:slow|x", "0:slow|x"}))
        << "a resumed line stays first and gets its resume value; later lines wait";
    cmd_process_queue(7);
    EXPECT_EQ(calls.back(), "-1:queued|y") << "done at resume 1, then the next line runs";
    EXPECT_EQ(calls[calls.size() - 2], "1:slow|x");
    EXPECT_TRUE(queue.is_empty());
    EXPECT_EQ(queue.resume, -1);

    // A line given straight to a queue id goes there whatever its command.
    EXPECT_TRUE(_cmd_execute("now later", 7));
    EXPECT_EQ(calls.back(), "-1:queued|y");
    cmd_process_queue(7);
    EXPECT_EQ(calls.back(), "-1:now|later");
}

TEST_F(console, results_unknown_commands_and_queues) {
    _cmd_register_command(&now, -1);
    _cmd_register_command(&failing, -1);
    EXPECT_EQ(cmd_run_line("nothing here", -1), cmd_t::FAILED);
    EXPECT_TRUE(log.contains("[cmd] 'nothing here' - unknown command"));
    EXPECT_FALSE(cmd_execute("nothing here"));
    EXPECT_EQ(cmd_run_line("", -1), cmd_t::FAILED);
    EXPECT_TRUE(cmd_execute("   ")) << "a line without words succeeds at once";
    EXPECT_FALSE(cmd_execute("failing"));
    EXPECT_TRUE(cmd_execute("now"));

    EXPECT_FALSE(_cmd_execute("now", 42));
    EXPECT_TRUE(log.contains("Unknown queue id: 42"));
    cmd_process_queue(43);
    EXPECT_TRUE(log.contains("Unknown command queue id: 43"));
}

TEST_F(console, registration_by_name) {
    cmd_t again{"now", record_failed};
    EXPECT_EQ(_cmd_register_command(&now, -1), &now);
    EXPECT_EQ(_cmd_register_command(&again, 3), &now) << "a taken name changes nothing";
    EXPECT_EQ(now.queue_id, -1);
    EXPECT_EQ(cmd_get("now"), &now);
    EXPECT_EQ(cmd_get("Now"), nullptr);
    EXPECT_EQ(cmd_get_list(), &now) << "newest first";
    EXPECT_EQ(now.hash, cmd_hash("now"));
    EXPECT_EQ(cmd_hash("ab"), 97u * 31u + 98u);
    cmd_unregister_command(&again);  // the same name removes the registered one
    EXPECT_EQ(cmd_get("now"), nullptr);

    ASSERT_TRUE(cmd_register_queue(&queue, 5));
    cmd_queue_t other;
    EXPECT_FALSE(cmd_register_queue(&other, 5));
    EXPECT_TRUE(log.contains("Message Queue id: 5 already used!"));
    EXPECT_FALSE(cmd_register_queue(&queue, 6));
    EXPECT_TRUE(log.contains("Message Queue 5 already registered!"));
    cmd_unregister_queue(&queue);
    EXPECT_EQ(queue.id, -1);
    EXPECT_TRUE(cmd_register_queue(&other, 5));
    cmd_unregister_queue(&other);
}

TEST_F(console, a_variable_name_alone_prints_and_with_a_value_sets) {
    cvar_register_variable(&volume);
    EXPECT_TRUE(cmd_execute("s_sfx_volume 0.5"));
    EXPECT_STREQ(volume.get_text(), "0.5");
    log.clear();
    EXPECT_TRUE(cmd_execute("s_sfx_volume"));
    EXPECT_TRUE(log.contains("s_sfx_volume = \"0.5\""));
    EXPECT_TRUE(cmd_execute("s_sfx_volume \"quoted value\" ignored"));
    EXPECT_STREQ(volume.get_text(), "quoted value");
}

TEST_F(console, blocks_skip_comments_and_blank_lines) {
    _cmd_register_command(&now, -1);
    cmd_execute_block("# header\r\n\r\n   \t \n  now one # trailing\nnow \"two words\"\n#now three\nnow four");
    EXPECT_EQ(calls, (std::vector<std::string>{"-1:now|one", "-1:now|two words", "-1:now|four"}));
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
    calls.clear();
    cmd_execute_block("now five\nnow six", 8);
    EXPECT_EQ(calls, (std::vector<std::string>{"-1:now|five"})) << "the size bounds the block";
}

TEST_F(console, exec_runs_files_in_order_and_stops_at_a_missing_one) {
    _cmd_register_command(&now, -1);
    write_file(dir.file("a.cfg"), "now A\n");
    write_file(dir.file("c.cfg"), "now C\n");
    EXPECT_TRUE(cmd_execute("exec /t/a.cfg /t/missing.cfg /t/c.cfg"));
    EXPECT_EQ(calls, (std::vector<std::string>{"-1:now|A"}));
    EXPECT_TRUE(log.contains("[cor] executing /t/a.cfg"));
    EXPECT_TRUE(log.contains("failed to open /t/missing.cfg"));
    EXPECT_FALSE(log.contains("executing /t/c.cfg"));

    log.clear();
    EXPECT_TRUE(cmd_execute("exec"));
    EXPECT_TRUE(log.contains("execute commands in files : exec filename1 [filename2 [filename3 ...]]"));
}

TEST_F(console, exec_of_a_file_that_execs_itself_is_capped) {
    _cmd_register_command(&now, -1);
    write_file(dir.file("self.cfg"), "now in\nexec /t/self.cfg\n");
    EXPECT_TRUE(cmd_execute("exec /t/self.cfg"));
    EXPECT_EQ(calls.size(), size_t(CMD_EXEC_MAX_DEPTH));
    EXPECT_TRUE(log.contains("exec nested more than 16 levels deep"));
}

TEST_F(console, builtins_echo_set_and_uset) {
    EXPECT_TRUE(cmd_execute("echo \"said aloud\" not this"));
    const auto said = log.texts(message_t::MESSAGE);
    EXPECT_NE(std::find(said.begin(), said.end(), "said aloud"), said.end()) << "only the first word is echoed";
    EXPECT_TRUE(cmd_execute("set anything at all"));
    EXPECT_TRUE(cmd_execute("uset only_name"));
    EXPECT_TRUE(log.contains("uset : wrong param count"));
    EXPECT_EQ(cvar_get("only_name"), nullptr);
    EXPECT_TRUE(cmd_execute("uset fresh \"a value\""));
    ASSERT_NE(cvar_get("fresh"), nullptr);
    EXPECT_STREQ(cvar_get("fresh")->get_text(), "a value");
    EXPECT_EQ(cvar_get("fresh")->dynamic, 1);
}

}  // namespace
}  // namespace quarn::test
