#include "diagnosis/read_command.h"

#include <fcntl.h>
#include <poll.h>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "util/error_text.h"

extern char** environ;  // NOLINT(readability-redundant-declaration): POSIX declares it nowhere

namespace diagnosis {

namespace {

struct Pipe {
    std::array<int, 2> ends{-1, -1};
    bool Open() { return ::pipe2(ends.data(), O_CLOEXEC) == 0; }
    void Close(int which) {
        if (ends[which] >= 0) ::close(ends[which]);
        ends[which] = -1;
    }
    ~Pipe() {
        Close(0);
        Close(1);
    }
};

util::Error Failure(std::string detail) {
    return util::MakeError(util::ErrorKind::BadReply, std::move(detail));
}

}  // namespace

util::Result<std::string> ReadCommandOutput(const std::vector<std::string>& argv,
                                            std::chrono::milliseconds timeout,
                                            std::size_t maxBytes) {
    if (argv.empty()) return Failure("no program");
    Pipe out;
    Pipe err;
    if (!out.Open() || !err.Open()) return Failure(util::ErrorText(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.ends[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return Failure(util::ErrorText(spawned));
    out.Close(1);
    err.Close(1);

    std::string output;
    std::string errors;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool timedOut = false;
    std::array<pollfd, 2> watched{pollfd{out.ends[0], POLLIN, 0}, pollfd{err.ends[0], POLLIN, 0}};
    std::array<char, 4096> buffer{};
    while (watched[0].fd >= 0 || watched[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0 || output.size() > maxBytes) {
            timedOut = left <= 0;
            break;
        }
        if (::poll(watched.data(), watched.size(), static_cast<int>(left)) < 0 && errno != EINTR) {
            break;
        }
        for (std::size_t i = 0; i < watched.size(); ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0) continue;
            const ssize_t got = ::read(watched[i].fd, buffer.data(), buffer.size());
            if (got <= 0) {
                watched[i].fd = -1;
                continue;
            }
            std::string& into = i == 0 ? output : errors;
            if (into.size() <= maxBytes) into.append(buffer.data(), static_cast<std::size_t>(got));
        }
    }
    ::kill(pid, SIGKILL);  // harmless when it has exited: it is still our unreaped child
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (timedOut) return Failure("no answer within the time limit");
    if (output.size() > maxBytes) return Failure("too much output");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const std::string firstLine = errors.substr(0, errors.find('\n'));
        return Failure(firstLine.empty() ? std::string("failed") : firstLine);
    }
    return output;
}

}  // namespace diagnosis
