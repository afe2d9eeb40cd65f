#include "support/LoopbackServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tarn::test {
namespace {

using Clock = std::chrono::steady_clock;

std::filesystem::path ServersFolder() {
    if (const char* dir = std::getenv("TARN_TEST_SERVERS"); dir && *dir) return dir;
    return std::filesystem::path(__FILE__).parent_path() / "servers";
}

// Debian's own interpreter first: the one python3-pyftpdlib is installed for, whatever else
// (pyenv, a virtual environment) comes first on PATH.
std::string Python() {
    if (const char* python = std::getenv("TARN_PYTHON"); python && *python) return python;
    if (access("/usr/bin/python3", X_OK) == 0) return "/usr/bin/python3";
    return "python3";
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

} // namespace

LoopbackServer::LoopbackServer(const std::string& script,
                               const std::vector<std::string>& arguments) {
    Start(script, arguments);
    if (pid_ > 0) WaitForReady();
    if (state_ != State::Running) Stop();
}

LoopbackServer::~LoopbackServer() {
    Stop();
}

void LoopbackServer::Start(const std::string& script, const std::vector<std::string>& arguments) {
    const std::string path = (ServersFolder() / script).string();
    if (access(path.c_str(), R_OK) != 0) {
        reason_ = "the server script " + path + " cannot be read";
        return;
    }
    const std::string python = Python();
    std::vector<std::string> words{python, path};
    words.insert(words.end(), arguments.begin(), arguments.end());
    words.push_back("--exit-on-stdin-eof");
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int out[2];
    int in[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        reason_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    if (pipe2(in, O_CLOEXEC) != 0) {
        reason_ = std::string("pipe: ") + std::strerror(errno);
        close(out[0]);
        close(out[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const int error = posix_spawnp(&pid_, python.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    output_ = out[0];
    input_ = in[1];
    if (error != 0) {
        pid_ = -1;
        if (error == ENOENT) {
            state_ = State::Unavailable;
            reason_ = python + " was not found";
        } else {
            reason_ = "cannot start " + python + ": " + std::strerror(error);
        }
    }
}

void LoopbackServer::WaitForReady() {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    std::string line;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            reason_ = "the server gave no READY line within 5 s";
            return;
        }
        pollfd p{output_, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) continue;
        char c = 0;
        const ssize_t n = read(output_, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            reason_ = "the server ended before it was ready";
            return;
        }
        if (c != '\n') {
            line += c;
            continue;
        }
        if (line.rfind("READY ", 0) == 0) {
            port_ = static_cast<unsigned>(std::strtoul(line.c_str() + 6, nullptr, 10));
            if (port_ != 0) {
                state_ = State::Running;
                return;
            }
        }
        if (line.rfind("UNAVAILABLE ", 0) == 0) {
            state_ = State::Unavailable;
            reason_ = line.substr(12);
            return;
        }
        reason_ = "unexpected server output: " + line;
        return;
    }
}

void LoopbackServer::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        bool ended = false;
        while (!ended && Clock::now() < deadline) {
            int status = 0;
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            ended = done == pid_ || (done < 0 && errno != EINTR);
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!ended) {
            kill(pid_, SIGKILL);
            int status = 0;
            while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
        pid_ = -1;
    }
    CloseFd(output_);
    CloseFd(input_);
}

TestServers::TestServers()
    : http("http_server.py", {folder.Path().string(), "--populate"}),
      ftp("ftp_server.py", {folder.Path().string()}) {}

TestServers& SharedTestServers() {
    static TestServers servers;
    return servers;
}

} // namespace tarn::test
