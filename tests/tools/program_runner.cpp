#include "program_runner.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

// In the child: only async-signal-safe calls until exec.
[[noreturn]] void ExecChild(char* const* argv, int in_fd, int out_fd, int err_fd, int uid) {
    signal(SIGPIPE, SIG_DFL);  // the program itself must choose to ignore it
    if (dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 || dup2(err_fd, 2) < 0) _exit(126);
    for (int fd = 3; fd < 1024; ++fd) close(fd);
    if (uid >= 0) {
        gid_t gid = static_cast<gid_t>(uid);
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(static_cast<uid_t>(uid)) != 0)
            _exit(125);
    }
    execv(argv[0], argv);
    _exit(127);
}

}  // namespace

int UnprivilegedUid() {
    const passwd* pw = getpwnam("nobody");
    return pw ? static_cast<int>(pw->pw_uid) : 65534;
}

RunResult RunProgram(const std::vector<std::string>& args, const RunOptions& options) {
    RunResult result;
    // The test process writes the child's input; a child that stops reading
    // must not kill it.
    signal(SIGPIPE, SIG_IGN);

    std::vector<std::string> full_args{options.program.empty() ? RUVOK_CONV_PATH : options.program};
    full_args.insert(full_args.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : full_args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
        result.spawn_failed = true;
        return result;
    }
    int out_fd = out_pipe[1];
    int file_fd = -1;
    if (!options.stdout_path.empty()) {
        file_fd = open(options.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (file_fd < 0) {
            result.spawn_failed = true;
            return result;
        }
        out_fd = file_fd;
    }
    if (options.stdout_reader_closed) {
        // Closed before the fork, so no process ever holds a reading end.
        close(out_pipe[0]);
        out_pipe[0] = -1;
    }

    pid_t pid = fork();
    if (pid == 0) ExecChild(argv.data(), in_pipe[0], out_fd, err_pipe[1], options.run_as_uid);
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);
    if (file_fd >= 0) close(file_fd);
    if (pid < 0) {
        result.spawn_failed = true;
        close(in_pipe[1]);
        if (out_pipe[0] >= 0) close(out_pipe[0]);
        close(err_pipe[0]);
        return result;
    }

    // Feed standard input and drain both outputs together, so that neither
    // side can block the other on a full pipe.
    int in_fd = in_pipe[1];
    size_t written = 0;
    if (options.stdin_data.empty()) {
        close(in_fd);
        in_fd = -1;
    } else {
        SetNonBlocking(in_fd);
    }
    int read_fds[2] = {out_pipe[0], err_pipe[0]};
    std::string* sinks[2] = {&result.out, &result.err};
    char chunk[1 << 16];
    while (in_fd >= 0 || read_fds[0] >= 0 || read_fds[1] >= 0) {
        pollfd fds[3];
        int n = 0;
        if (in_fd >= 0) fds[n++] = {in_fd, POLLOUT, 0};
        for (int fd : read_fds)
            if (fd >= 0) fds[n++] = {fd, POLLIN, 0};
        if (poll(fds, static_cast<nfds_t>(n), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < n; ++i) {
            if (!fds[i].revents) continue;
            if (fds[i].fd == in_fd) {
                ssize_t put = write(in_fd, options.stdin_data.data() + written,
                                    options.stdin_data.size() - written);
                if (put > 0) written += static_cast<size_t>(put);
                if ((put < 0 && errno != EAGAIN) || written == options.stdin_data.size()) {
                    close(in_fd);
                    in_fd = -1;
                }
                continue;
            }
            for (int k = 0; k < 2; ++k) {
                if (fds[i].fd != read_fds[k]) continue;
                ssize_t got = read(read_fds[k], chunk, sizeof chunk);
                if (got > 0) {
                    sinks[k]->append(chunk, static_cast<size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    close(read_fds[k]);
                    read_fds[k] = -1;
                }
            }
        }
    }

    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.term_signal = WTERMSIG(status);
    return result;
}
