#pragma once
// One blocking HTTP exchange over libcurl, for the engine's HTTP requests.
//
// performHttp runs on the caller's thread (a request's worker thread) and
// returns when the exchange is over, failed, timed out or was aborted through
// the abort flag (checked about every 50 ms and from libcurl's progress
// callback). It is safe to run any number of exchanges at once on different
// threads. Only plain http:// is spoken; redirects are not followed, proxies
// are never used.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Where an exchange stopped. The names follow the steps of a classic HTTP
// client: open a session, connect to the host, open the request, send it and
// read the answer, query the status code.
enum class HttpStage : int32_t {
    None = 0,     // the exchange is complete; HttpResult::status holds the status code
    Session,      // the HTTP library could not be set up
    Connect,      // the host could not be resolved or reached
    OpenRequest,  // the request could not be formed (bad host or path, bad options)
    Send,         // sending the request or receiving the answer failed, timed out or was aborted
    QueryStatus,  // the answer carried no usable HTTP status line
};

struct HttpCall {
    std::string host;           // "name" or "name:port", without a scheme
    std::string path;           // starts with '/'; may carry a query
    std::string contentType;    // the Content-Type of the body (POST only)
    std::string userAgent;      // sent when not empty
    std::string connectTo;      // "name:port" to connect to instead of `host` (still named as the Host)
    std::vector<uint8_t> body;  // sent when bPost is set
    bool bPost = false;         // POST the body, else GET
    long connectTimeoutMs = 15000;
    long totalTimeoutMs = 60000;
    size_t maxReplyBytes = 16u << 20;  // a longer answer fails the exchange (Send)
};

struct HttpResult {
    HttpStage stage = HttpStage::None;  // also the return value of performHttp
    int32_t errorCode = 0;              // the libcurl error code of a failure, else 0
    long status = 0;                    // the HTTP status code when stage is None
    std::vector<uint8_t> body;          // the answer's body when stage is None
};

// Error code used for an abort through the flag (libcurl's "aborted by callback").
constexpr int32_t kHttpAbortedCode = 42;

HttpStage performHttp(const HttpCall& in, HttpResult& out, const std::atomic<bool>& abort);
