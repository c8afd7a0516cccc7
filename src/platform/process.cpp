#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char **environ;

namespace quarn::platform {

namespace {

struct pipe_pair_t {
    int fd[2] = {-1, -1};
    ~pipe_pair_t() { close_both(); }
    bool open() { return pipe2(fd, O_CLOEXEC) == 0; }
    void close_end(int i) {
        if (fd[i] >= 0) ::close(fd[i]);
        fd[i] = -1;
    }
    void close_both() {
        close_end(0);
        close_end(1);
    }
};

// Starts argv with stdout and stderr on the write ends; the pid, or -1.
pid_t spawn(const char *const *argv, int out_fd, int err_fd) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return -1;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err_fd, STDERR_FILENO);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char *const *>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

}  // namespace

bool process_run(const char *const *argv, process_output_t *output, int *exit_code) {
    if (!argv || !argv[0] || !*argv[0]) return false;
    pipe_pair_t out, err;
    if (!out.open() || !err.open()) return false;
    const pid_t pid = spawn(argv, out.fd[1], err.fd[1]);
    out.close_end(1);
    err.close_end(1);
    if (pid < 0) return false;

    // Read both pipes until each reports its end, a bounded chunk at a time.
    char chunk[16384];
    while (out.fd[0] >= 0 || err.fd[0] >= 0) {
        pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            pipe_pair_t &p = i == 0 ? out : err;
            if (n <= 0) {
                p.close_end(0);
                continue;
            }
            if (output) {
                if (i == 0) output->on_stdout(chunk, size_t(n));
                else output->on_stderr(chunk, size_t(n));
            }
        }
    }
    out.close_both();
    err.close_both();

    int status = 0;
    pid_t w;
    do {
        w = waitpid(pid, &status, 0);
    } while (w < 0 && errno == EINTR);
    if (w < 0 || !WIFEXITED(status)) {
        *exit_code = -1;
    } else {
        *exit_code = WEXITSTATUS(status);
    }
    return true;
}

bool process_start(const char *const *argv, const char *working_dir, bool wait, int *exit_code) {
    if (!argv || !argv[0] || !*argv[0]) return false;
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (working_dir && *working_dir) posix_spawn_file_actions_addchdir_np(&actions, working_dir);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char *const *>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    // Not waited for, it stays our child until we end ourselves.
    if (!wait) return true;
    int status = 0;
    pid_t w;
    do {
        w = waitpid(pid, &status, 0);
    } while (w < 0 && errno == EINTR);
    if (exit_code) *exit_code = w < 0 || !WIFEXITED(status) ? -1 : WEXITSTATUS(status);
    return true;
}

bool process_open_url(const char *url) {
    if (!url || (strncmp(url, "http://", 7) != 0 && strncmp(url, "https://", 8) != 0)) return false;
    const char *argv[] = {"xdg-open", url, nullptr};
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char *const *>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    // The opener hands the page to the browser and ends; reap it so no zombie stays.
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace quarn::platform
