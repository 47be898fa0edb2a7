#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace httptest {

namespace {

std::string lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

// The method, target and headers of a request head (without its blank line).
void parseHead(const std::string& head, LoopbackHttpServer::Request& req) {
    size_t lineEnd = head.find("\r\n");
    const std::string first = head.substr(0, lineEnd);
    const size_t s1 = first.find(' ');
    const size_t s2 = first.find(' ', s1 + 1);
    req.method = first.substr(0, s1);
    req.target = first.substr(s1 + 1, s2 - s1 - 1);
    size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        size_t end = head.find("\r\n", pos);
        if (end == std::string::npos) end = head.size();
        const std::string line = head.substr(pos, end - pos);
        const size_t colon = line.find(':');
        if (colon != std::string::npos) {
            size_t v = colon + 1;
            while (v < line.size() && line[v] == ' ') ++v;
            req.headers[lower(line.substr(0, colon))] = line.substr(v);
        }
        pos = end + 2;
    }
}

// The value of a quoted parameter (name="...") in a header line.
bool quotedParameter(const std::string& line, const std::string& key, std::string& value) {
    const std::string prefix = "; " + key + "=\"";
    const size_t at = line.find(prefix);
    if (at == std::string::npos) return false;
    const size_t start = at + prefix.size();
    const size_t end = line.find('"', start);
    if (end == std::string::npos) return false;
    value = line.substr(start, end - start);
    return true;
}

bool fail(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return false;
}

}  // namespace

long msSince(Clock::time_point t) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

std::string httpResponse(int status, const std::string& reason, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\nContent-Type: application/octet-stream\r\n" +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

LoopbackHttpServer::LoopbackHttpServer() {
    listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    ::setsockopt(listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bool ok = ::bind(listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && ::listen(listenFd, 8) == 0;
    socklen_t len = sizeof addr;
    ok = ok && ::getsockname(listenFd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    EXPECT_TRUE(ok) << "loopback server could not listen";
    listenPort = ntohs(addr.sin_port);
    thread = std::thread([this] { run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop.store(true);
    thread.join();
    ::close(listenFd);
}

WString LoopbackHttpServer::host() const { return narrowToWide("127.0.0.1:" + std::to_string(listenPort)); }

void LoopbackHttpServer::route(const std::string& path, Route r) {
    std::lock_guard<std::mutex> lock(mutex);
    routes[path] = std::move(r);
}

void LoopbackHttpServer::reply(const std::string& path, const std::string& raw, int delayMs) {
    route(path, Route{Action::Reply, raw, delayMs, nullptr});
}

void LoopbackHttpServer::handle(const std::string& path, Handler h) {
    route(path, Route{Action::Handle, "", 0, std::move(h)});
}

void LoopbackHttpServer::hold(const std::string& path) { route(path, Route{Action::Hold, "", 0, nullptr}); }

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requests() {
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

bool LoopbackHttpServer::waitForRequests(size_t count, long timeoutMs) {
    const auto start = Clock::now();
    while (msSince(start) < timeoutMs) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (received.size() >= count) return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

bool LoopbackHttpServer::parseForm(const Request& request, std::vector<FormPart>& parts, std::string* why) {
    parts.clear();
    const auto type = request.headers.find("content-type");
    const std::string prefix = "multipart/form-data; boundary=";
    if (type == request.headers.end() || type->second.rfind(prefix, 0) != 0) return fail(why, "not a multipart form");
    const std::string delimiter = "--" + type->second.substr(prefix.size());
    const std::string& body = request.body;
    if (body.rfind(delimiter + "\r\n", 0) != 0) return fail(why, "the body does not start with the boundary");
    size_t pos = delimiter.size() + 2;
    for (;;) {
        const size_t headEnd = body.find("\r\n\r\n", pos);
        if (headEnd == std::string::npos) return fail(why, "a part without the end of its headers");
        FormPart part;
        bool named = false;
        for (size_t line = pos; line < headEnd + 2;) {
            const size_t end = body.find("\r\n", line);
            const std::string text = body.substr(line, end - line);
            const size_t colon = text.find(':');
            const std::string key = lower(text.substr(0, colon));
            const std::string value = colon == std::string::npos ? "" : text.substr(colon + 2);
            if (key == "content-disposition") {
                if (value.rfind("form-data", 0) != 0) return fail(why, "a part that is not form-data");
                named = quotedParameter(value, "name", part.name);
                part.hasFileName = quotedParameter(value, "filename", part.fileName);
            } else if (key == "content-type") {
                part.contentType = value;
            } else {
                return fail(why, "an unexpected part header: " + text);
            }
            line = end + 2;
        }
        if (!named) return fail(why, "a part without a name");
        // The data runs to the next delimiter line.
        const size_t dataStart = headEnd + 4;
        const size_t next = body.find("\r\n" + delimiter, dataStart);
        if (next == std::string::npos) return fail(why, "a part without its closing boundary");
        part.data = body.substr(dataStart, next - dataStart);
        parts.push_back(std::move(part));
        pos = next + 2 + delimiter.size();
        if (body.compare(pos, 4, "--\r\n") == 0 && pos + 4 == body.size()) return true;
        if (body.compare(pos, 2, "\r\n") != 0) return fail(why, "a boundary followed by neither a part nor the end");
        pos += 2;
    }
}

bool LoopbackHttpServer::waitReadable(int fd, long timeoutMs) {
    const auto start = Clock::now();
    while (!stop.load()) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) return true;
        if (timeoutMs >= 0 && msSince(start) >= timeoutMs) return false;
    }
    return false;
}

bool LoopbackHttpServer::readRequest(int fd, Request& req) {
    std::string data;
    size_t headerEnd = std::string::npos;
    size_t contentLength = 0;
    char buf[4096];
    for (;;) {
        if (headerEnd == std::string::npos) {
            headerEnd = data.find("\r\n\r\n");
            if (headerEnd != std::string::npos) {
                parseHead(data.substr(0, headerEnd), req);
                auto it = req.headers.find("content-length");
                if (it != req.headers.end()) contentLength = std::stoul(it->second);
            }
        }
        if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + contentLength) {
            req.body = data.substr(headerEnd + 4, contentLength);
            return true;
        }
        if (!waitReadable(fd, 5000)) return false;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return false;
        data.append(buf, static_cast<size_t>(n));
    }
}

void LoopbackHttpServer::sendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

void LoopbackHttpServer::serve(int fd) {
    Request req;
    if (!readRequest(fd, req)) return;
    Route r;
    {
        std::lock_guard<std::mutex> lock(mutex);
        received.push_back(req);
        auto it = routes.find(req.path());
        r = it != routes.end() ? it->second : Route{Action::Reply, httpResponse(404, "Not Found", ""), 0, nullptr};
    }
    if (r.delayMs > 0) {
        const auto start = Clock::now();
        while (!stop.load() && msSince(start) < r.delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    switch (r.action) {
        case Action::Reply:
            sendAll(fd, r.raw);
            break;
        case Action::Handle:
            sendAll(fd, r.handler(req));
            break;
        case Action::Hold:
            // Never answer; keep the connection until the client gives up.
            while (waitReadable(fd, -1)) {
                char buf[256];
                if (::recv(fd, buf, sizeof buf, 0) <= 0) break;
            }
            break;
        case Action::Close:
            break;
    }
}

void LoopbackHttpServer::run() {
    while (!stop.load()) {
        if (!waitReadable(listenFd, -1)) break;
        const int fd = ::accept(listenFd, nullptr, nullptr);
        if (fd < 0) continue;
        serve(fd);
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
}

RefusingPort::RefusingPort() {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    EXPECT_TRUE(ok) << "could not bind a port on 127.0.0.1";
    port = ntohs(addr.sin_port);
}

RefusingPort::~RefusingPort() { ::close(fd); }

WString RefusingPort::host() const { return narrowToWide("127.0.0.1:" + std::to_string(port)); }

}  // namespace httptest
