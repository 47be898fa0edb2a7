#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

sockaddr_in makeAddress(uint32_t ip, uint16_t port) {
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(ip);
    return a;
}

}  // namespace

int socketErrorCode(int e) {
    switch (e) {
        case EAGAIN:
            return 10035;
#if EWOULDBLOCK != EAGAIN
        case EWOULDBLOCK:
            return 10035;
#endif
        case ECONNREFUSED:
        case ECONNRESET:
            return 10054;
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EMSGSIZE:
            return 10040;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case EHOSTUNREACH:
            return 10065;
        case ENOBUFS:
            return 10055;
        case EACCES:
            return 10013;
        case ENOTSOCK:
            return 10038;
        case EINVAL:
            return 10022;
        case EAFNOSUPPORT:
            return 10047;
        case EMFILE:
            return 10024;
        default:
            return e;
    }
}

UdpSocket::~UdpSocket() { close(); }

void UdpSocket::close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

UdpSocket::OpenResult UdpSocket::open(uint32_t ip, uint16_t port, int receiveBufferBytes) {
    close();
    OpenResult r;
    auto failAt = [&](Step step) {
        r.failedStep = step;
        r.error = socketErrorCode(errno);
        close();
        return r;
    };
    fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return failAt(STEP_SOCKET);
    const int fl = ::fcntl(fd, F_GETFL, 0);
    if (fl < 0 || ::fcntl(fd, F_SETFL, fl | O_NONBLOCK) < 0) return failAt(STEP_NONBLOCKING);
    // The kernel may cap the size at its own limit; that is fine.
    int size = receiveBufferBytes;
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size) < 0) return failAt(STEP_RECEIVE_BUFFER);
    int broadcast = 1;
    if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &broadcast, sizeof broadcast) < 0) return failAt(STEP_BROADCAST);
    const sockaddr_in a = makeAddress(ip, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) < 0) return failAt(STEP_BIND);
    r.ok = true;
    return r;
}

bool UdpSocket::localAddress(uint32_t& ip, uint16_t& port) const {
    if (fd < 0) return false;
    sockaddr_in a;
    socklen_t len = sizeof a;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) < 0 || a.sin_family != AF_INET) return false;
    ip = ntohl(a.sin_addr.s_addr);
    port = ntohs(a.sin_port);
    return true;
}

bool UdpSocket::sendTo(const void* data, int length, uint32_t ip, uint16_t port, int& error) {
    error = 0;
    if (fd < 0) {
        error = 10038;
        return false;
    }
    if (length < 0) length = 0;
    const sockaddr_in a = makeAddress(ip, port);
    for (;;) {
        const ssize_t n = ::sendto(fd, data, static_cast<size_t>(length), MSG_NOSIGNAL,
                                   reinterpret_cast<const sockaddr*>(&a), sizeof a);
        if (n >= 0) return true;
        if (errno == EINTR) continue;
        error = socketErrorCode(errno);
        return false;
    }
}

UdpSocket::Receive UdpSocket::receiveFrom(void* buffer, int capacity, int& length, uint32_t& ip, uint16_t& port,
                                          int& error, bool& truncated) {
    length = 0;
    error = 0;
    truncated = false;
    if (fd < 0) {
        error = 10038;
        return Receive::Error;
    }
    for (;;) {
        sockaddr_in a;
        socklen_t len = sizeof a;
        std::memset(&a, 0, sizeof a);
        const ssize_t n = ::recvfrom(fd, buffer, capacity > 0 ? static_cast<size_t>(capacity) : 0, MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&a), &len);
        if (n >= 0) {
            // With MSG_TRUNC the result is the datagram's real length.
            if (n > capacity) {
                truncated = true;
                length = capacity;
            } else {
                length = static_cast<int>(n);
            }
            ip = ntohl(a.sin_addr.s_addr);
            port = ntohs(a.sin_port);
            return Receive::Datagram;
        }
        if (errno == EINTR) continue;
        error = socketErrorCode(errno);
        // "Would block" means nothing waits; "connection reset" or "refused"
        // only reports that an earlier datagram found no listener.
        if (error == 10035 || error == 10054) return Receive::None;
        return Receive::Error;
    }
}

bool resolveHostIPv4(const std::string& name, uint32_t& ip) {
    if (name.empty()) return false;
    in_addr numeric;
    if (::inet_pton(AF_INET, name.c_str(), &numeric) == 1) {
        ip = ntohl(numeric.s_addr);
        return true;
    }
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || !result) return false;
    bool found = false;
    for (addrinfo* r = result; r; r = r->ai_next) {
        if (r->ai_family == AF_INET && r->ai_addrlen >= sizeof(sockaddr_in)) {
            ip = ntohl(reinterpret_cast<const sockaddr_in*>(r->ai_addr)->sin_addr.s_addr);
            found = true;
            break;
        }
    }
    ::freeaddrinfo(result);
    return found;
}

}  // namespace platform
