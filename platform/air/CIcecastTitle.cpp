#include "CIcecastTitle.h"

#include "playback/IcecastRequest.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>

namespace {

constexpr int kTimeoutSeconds = 3;

int Connect(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return -1;
    }
    int fd = -1;
    for (addrinfo* at = found; at != nullptr && fd < 0; at = at->ai_next) {
        fd = ::socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
        if (fd < 0) {
            continue;
        }
        timeval timeout{kTimeoutSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        if (::connect(fd, at->ai_addr, at->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    return fd;
}

} // namespace

bool CIcecastTitle::Send(const std::string& host, int port, const std::string& mount,
                         const std::string& user, const std::string& password,
                         const std::string& title) {
    const int fd = Connect(host, port);
    if (fd < 0) {
        return false;
    }
    const std::string request =
        IcecastRequest::TitleUpdate(host, port, mount, user, password, title);
    bool sent = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                static_cast<ssize_t>(request.size());
    char reply[64] = {};
    const ssize_t got = sent ? ::recv(fd, reply, sizeof reply - 1, 0) : -1;
    ::close(fd);
    // "HTTP/1.0 200 OK"
    return got > 12 && std::strncmp(reply, "HTTP/1.", 7) == 0 &&
           std::strncmp(reply + 9, "200", 3) == 0;
}
