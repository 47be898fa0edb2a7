#pragma once
// IPv4 datagram sockets and host name look-up: the only place that talks to
// the operating system's socket interface.
//
// Addresses are plain numbers in host byte order (127.0.0.1 is 0x7F000001).
// Error codes are reported in the Winsock numbering the network code logs
// by name (10035 "would block", 10054 "connection reset", ...); an error the
// table does not know is passed through as its errno value.
#include <cstdint>
#include <string>

namespace platform {

class UdpSocket {
public:
    // The set-up steps, in the order open() takes them; a failure names one.
    enum Step : int { STEP_NONE = 0, STEP_SOCKET, STEP_NONBLOCKING, STEP_RECEIVE_BUFFER, STEP_BROADCAST, STEP_BIND };

    struct OpenResult {
        bool ok = false;
        Step failedStep = STEP_NONE;
        int error = 0;  // Winsock-style code of the failure
    };

    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Creates a non-blocking socket (closed on exec) with the given receive
    // buffer size and broadcasting allowed, bound to ip:port (port 0: any
    // free port). Nothing is left open when a step fails.
    OpenResult open(uint32_t ip, uint16_t port, int receiveBufferBytes);
    void close();
    bool isOpen() const { return fd >= 0; }

    // The address the socket is bound to (the chosen port when 0 was asked).
    bool localAddress(uint32_t& ip, uint16_t& port) const;

    // Sends one datagram. Returns false and the error code on failure.
    bool sendTo(const void* data, int length, uint32_t ip, uint16_t port, int& error);

    enum class Receive { Datagram, None, Error };
    // Receives one waiting datagram into the buffer; a datagram longer than
    // the buffer is cut to it (truncated set). None when nothing waits (or
    // the peer's port was unreachable); Error with the code otherwise.
    Receive receiveFrom(void* buffer, int capacity, int& length, uint32_t& ip, uint16_t& port, int& error,
                        bool& truncated);

private:
    int fd = -1;
};

// Looks the name up as an IPv4 host (numeric addresses included). False when
// it cannot be resolved.
bool resolveHostIPv4(const std::string& name, uint32_t& ip);

// The Winsock-style code of an errno value.
int socketErrorCode(int errnoValue);

}  // namespace platform
