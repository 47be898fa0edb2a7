#pragma once
// The tests' web server: HTTP/1.1 on 127.0.0.1 at a port of the system's
// choice, served by one thread, one connection at a time. Each request is
// read in full (headers, then Content-Length bytes of body), recorded, and
// answered by the route of its path (the target without its query): a
// canned answer, an answer made by a handler from the request, silence until
// the client gives up, or a closed connection. Unrouted paths get 404.
//
//   LoopbackHttpServer server;
//   server.reply("/tumbro/nettest.php", httpResponse(200, "OK", "OK"));
//   HttpRequest::webHost = server.host();   // "127.0.0.1:<port>"
//
// Nothing here ever leaves the machine.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "util/WString.h"

namespace httptest {

using Clock = std::chrono::steady_clock;

long msSince(Clock::time_point t);

// A whole answer with a body and "Connection: close".
std::string httpResponse(int status, const std::string& reason, const std::string& body);

class LoopbackHttpServer {
public:
    struct Request {
        std::string method;
        std::string target;
        std::map<std::string, std::string> headers;  // lower-case names
        std::string body;

        std::string path() const { return target.substr(0, target.find('?')); }
    };
    // One part of a multipart/form-data body.
    struct FormPart {
        std::string name;
        bool hasFileName = false;
        std::string fileName;
        std::string contentType;  // "" when the part has none
        std::string data;
    };
    using Handler = std::function<std::string(const Request&)>;

    enum class Action { Reply, Handle, Hold, Close };
    struct Route {
        Action action = Action::Reply;
        std::string raw;  // the whole answer, for Reply
        int delayMs = 0;  // wait before answering
        Handler handler;  // makes the whole answer, for Handle
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // "127.0.0.1:<port>".
    WString host() const;

    void route(const std::string& path, Route r);
    void reply(const std::string& path, const std::string& raw, int delayMs = 0);
    // The handler runs on the server's thread.
    void handle(const std::string& path, Handler h);
    // Never answers: the client times out or aborts.
    void hold(const std::string& path);

    std::vector<Request> requests();
    bool waitForRequests(size_t count, long timeoutMs = 5000);

    // The parts of a multipart/form-data request, in order. False (and why)
    // when the content type names no boundary or the body does not follow
    // the format: "--boundary" lines, each part's headers, a blank line and
    // its bytes, and the closing "--boundary--".
    static bool parseForm(const Request& request, std::vector<FormPart>& parts, std::string* why = nullptr);

private:
    bool waitReadable(int fd, long timeoutMs);
    bool readRequest(int fd, Request& req);
    void sendAll(int fd, const std::string& data);
    void serve(int fd);
    void run();

    int listenFd = -1;
    uint16_t listenPort = 0;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::map<std::string, Route> routes;
    std::vector<Request> received;
    std::thread thread;
};

// A port on 127.0.0.1 that refuses connections: bound, never listening.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    WString host() const;

private:
    int fd = -1;
    uint16_t port = 0;
};

}  // namespace httptest
