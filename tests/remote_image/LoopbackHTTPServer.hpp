#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TemporaryDirectory.hpp"

extern char** environ;

namespace zorv::testing {

// A web server on 127.0.0.1 that serves one folder, for the tests of the
// fetching code: python3's http.server on a port of the system's choosing,
// started here and stopped when the value goes. Besides the folder's files it
// answers "/redirect?<url>" with a 302 to the (escaped) URL and
// "/unsized/<file>" with the file's body and no Content-Length.
class LoopbackHTTPServer {
public:
    enum class Status { running, noPython, failed };

    explicit LoopbackHTTPServer(const std::filesystem::path& root) {
        // A proxy from the environment must not see requests to this server.
        ::setenv("no_proxy", "127.0.0.1,localhost", 1);
        ::setenv("NO_PROXY", "127.0.0.1,localhost", 1);

        std::string script = scriptFolder_.file("serve.py");
        std::ofstream(script) << serverScript;

        int pipeFds[2];
        if (::pipe(pipeFds) != 0) {
            fail("pipe failed");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
        std::string rootText = root.string();
        std::string program = "python3";
        std::string unbuffered = "-u";
        char* arguments[] = {program.data(), unbuffered.data(), script.data(), rootText.data(), requestLog_.data(),
                             nullptr};
        const int spawned = ::posix_spawnp(&pid_, "python3", &actions, nullptr, arguments, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        output_ = pipeFds[0];
        if (spawned != 0) {
            pid_ = -1;
            status_ = spawned == ENOENT ? Status::noPython : Status::failed;
            failure_ = "python3 could not be started";
            return;
        }

        // The script prints its port once it listens.
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (line.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
            pollfd ready{output_, POLLIN, 0};
            if (left <= 0 || ::poll(&ready, 1, static_cast<int>(left)) <= 0) {
                fail("the server did not start in time");
                return;
            }
            char buffer[64];
            const ssize_t count = ::read(output_, buffer, sizeof buffer);
            if (count <= 0) {
                fail("the server ended before listening");
                return;
            }
            line.append(buffer, static_cast<size_t>(count));
        }
        port_ = std::stoi(line);
        status_ = Status::running;
    }

    ~LoopbackHTTPServer() {
        stop();
        if (output_ >= 0) ::close(output_);
    }
    LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
    LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

    Status status() const { return status_; }
    const std::string& failure() const { return failure_; }
    int port() const { return port_; }
    // "http://127.0.0.1:<port>", no trailing slash.
    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // The path (and query) of every request answered so far, in order. Each
    // is logged before its answer is sent, so a client that has its answer
    // finds its request here.
    std::vector<std::string> requestedPaths() const {
        std::vector<std::string> paths;
        std::ifstream log(requestLog_);
        for (std::string line; std::getline(log, line);) paths.push_back(line);
        return paths;
    }

private:
    static constexpr const char* serverScript = R"(import http.server, os, sys, urllib.parse
root = sys.argv[1]
request_log = sys.argv[2]

class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=root, **kwargs)

    def log_message(self, *args):
        pass

    def do_GET(self):
        with open(request_log, 'a') as log:
            log.write(self.path + '\n')
        path, _, query = self.path.partition('?')
        if path == '/redirect':
            self.send_response(302)
            self.send_header('Location', urllib.parse.unquote(query))
            self.send_header('Content-Length', '0')
            self.end_headers()
            return
        if path.startswith('/unsized/'):
            with open(os.path.join(root, path[len('/unsized/'):]), 'rb') as file:
                body = file.read()
            self.send_response(200)
            self.end_headers()
            self.wfile.write(body)
            self.close_connection = True
            return
        super().do_GET()

server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
)";

    void fail(const std::string& why) {
        status_ = Status::failed;
        failure_ = why;
        stop();
    }

    void stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
    }

    TemporaryDirectory scriptFolder_;
    std::string requestLog_ = scriptFolder_.file("requests.log");
    pid_t pid_ = -1;
    int output_ = -1;
    int port_ = 0;
    Status status_ = Status::failed;
    std::string failure_;
};

}  // namespace zorv::testing
