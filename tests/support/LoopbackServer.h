// A test server script of tests/support/servers/ run with python3 in a child process, listening
// on 127.0.0.1 only. It is stopped by its own pid when the object goes (SIGTERM, SIGKILL after
// 2 s), and ends by itself when this process goes without stopping it.
#pragma once

#include "support/TempMachine.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace tarn::test {

class LoopbackServer {
public:
    // script: a file name in tests/support/servers/; arguments follow it. Waits at most 5 s for
    // the script's "READY <port>" line.
    LoopbackServer(const std::string& script, const std::vector<std::string>& arguments);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    bool Running() const { return state_ == State::Running; }
    // No python3, or a module the script needs is missing: the tests skip.
    bool Unavailable() const { return state_ == State::Unavailable; }
    // It should have started and did not: the tests fail.
    bool Broken() const { return state_ == State::Broken; }
    // Why it is not running.
    const std::string& Reason() const { return reason_; }
    unsigned Port() const { return port_; }

private:
    enum class State { Running, Unavailable, Broken };
    void Start(const std::string& script, const std::vector<std::string>& arguments);
    void WaitForReady();
    void Stop();

    State state_ = State::Broken;
    std::string reason_;
    unsigned port_ = 0;
    pid_t pid_ = -1;
    int output_ = -1; // the script's standard output
    int input_ = -1;  // its standard input: closed when this process ends
};

// The HTTP and FTP servers on one folder populated with the files of servers/ServedFiles.h,
// started on first use and stopped when the test program ends.
struct TestServers {
    TestServers();
    TempFolder folder;
    LoopbackServer http;
    LoopbackServer ftp;
};
TestServers& SharedTestServers();

} // namespace tarn::test
