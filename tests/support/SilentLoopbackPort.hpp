#pragma once

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace zorv::testing {

// A port on 127.0.0.1 whose connection attempts go unanswered, as at a
// server whose address drops them: it listens with a backlog of nothing and
// never accepts, and one connection made at once fills its queue, so that the
// kernel drops every later SYN and a client's connect waits until its own
// timeout. Closed with the value.
class SilentLoopbackPort {
public:
    SilentLoopbackPort() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 0) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        // The first fills the queue; the second, whose SYN is dropped, makes
        // sure of it.
        for (int connection = 0; connection < 2; ++connection) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
            if (fd < 0) return;
            fillers_.push_back(fd);
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
        dropsConnections_ = !connects(address);
    }
    ~SilentLoopbackPort() {
        for (const int fd : fillers_) ::close(fd);
        if (listener_ >= 0) ::close(listener_);
    }
    SilentLoopbackPort(const SilentLoopbackPort&) = delete;
    SilentLoopbackPort& operator=(const SilentLoopbackPort&) = delete;

    // False where this machine answers the attempts all the same (the test
    // then has nothing to wait for).
    bool dropsConnections() const { return dropsConnections_; }
    // "http://127.0.0.1:<port>", no trailing slash.
    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    // Whether a further connection is made (or refused) within half a second.
    static bool connects(const sockaddr_in& address) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return true;
        bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        if (!answered) {
            pollfd waiting{fd, POLLOUT, 0};
            answered = ::poll(&waiting, 1, 500) != 0;
        }
        ::close(fd);
        return answered;
    }

    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
    bool dropsConnections_ = false;
};

}  // namespace zorv::testing
