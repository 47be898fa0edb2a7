#pragma once
// An asynchronous HTTP request to the web server, run on a worker thread of
// its own.
//
// Use: construct with host and path, optionally build a multipart form
// (beginForm, addFormField), start(), then poll getState() once per frame on
// the main thread. The worker writes the error text and the reply before it
// publishes state 2 (failed) or 3 (finished) with release ordering;
// getState() loads it with acquire ordering, so the text and the reply may be
// read once 2 or 3 has been seen. The owner may then set the state back to 0
// with setIdle().
//
// The worker shares ownership of everything it touches, so an owner may delete
// a request at any time, even while it runs: a running request is then left
// to finish (or time out) on its own, held by the HTTP layer, which joins its
// worker once it has ended. HttpRequest::shutdownAll() aborts every worker
// still running and joins them all before the program exits, so no worker
// outlives the program's shutdown.
//
// All member functions, including the statics, are for the main thread.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine-platform/HttpTransport.h"
#include "sys/ByteBuffer.h"
#include "util/WString.h"

class HttpRequest {
public:
    enum : int32_t { StateIdle = 0, StateRunning = 1, StateFailed = 2, StateFinished = 3 };

    // The web server named by the settings ("name" or "name:port"); empty
    // when they name none.
    static WString webHost;
    // The maker's own web server, which the game uses while no webHost is set.
    static const char16_t* const makerHost;
    // The host of every web address of the game, the requests' and the
    // pages': webHost when the settings name one, else makerHost; never empty.
    static WString webServerHost();
    // The address of a page of the web server for the user's browser
    // ("http://" + webServerHost() + path; the path may carry a query).
    static WString pageAddress(std::u16string_view path);
    // A request for a path of the web server (webServerHost()).
    static std::unique_ptr<HttpRequest> toWebServer(std::u16string_view path);

    // host: "name" or "name:port"; path: starting with '/'. Nothing is sent yet.
    HttpRequest(const WString& host, const WString& path);
    virtual ~HttpRequest();
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Adds the standard form fields platform, gameName, gameVersion, gamePatch.
    void beginForm();
    // One form part with the given name, a filename attribute when fileName is
    // not empty, content type application/octet-stream and the bytes.
    void addFormField(const void* data, size_t size, const WString& name, const WString& fileName = u"");
    // One plain form part holding the text as UTF-8.
    void addFormField(const WString& name, const WString& text);

    // Closes the form and starts the worker: POST with the form when a part
    // was added, else GET. The state becomes 1; when no thread can be created
    // it becomes 2 with "Thread creation failed (error %08x)". A request
    // starts once; a second call does nothing and returns false.
    bool start();

    // 0 idle, 1 running, 2 failed, 3 finished.
    int32_t getState() const;
    // True while the worker runs.
    bool isBusy() const { return getState() == StateRunning; }
    // Turns a failed or finished request back to idle; other states stay.
    void setIdle();

    // Valid once the state has been seen as 2 (the error text) or 3 (the reply).
    const WString& getErrorText() const;
    const ByteBuffer& getReply() const;
    // The reply as text: UTF-16 (little or big endian) when it starts with
    // the matching byte-order mark, else UTF-8 (a UTF-8 byte-order mark is
    // skipped).
    WString getReplyText() const;

    // The timeouts new requests start with, milliseconds.
    static long defaultConnectTimeoutMs;
    static long defaultTotalTimeoutMs;
    // Timeouts of the exchange, milliseconds; set before start().
    long connectTimeoutMs = defaultConnectTimeoutMs;
    long totalTimeoutMs = defaultTotalTimeoutMs;

    // The error text of a failed exchange (status: the HTTP status when the
    // exchange itself succeeded).
    static WString describeFailure(HttpStage stage, int32_t errorCode, long status);

    // Aborts every running request and joins every worker. A worker sees the
    // abort within about 50 ms; one that has not ended after timeoutMs is
    // logged and still waited for. Returns the number of workers that did
    // not end within timeoutMs.
    static size_t shutdownAll(long timeoutMs = 2000);
    // Workers not yet joined (running, or ended and not yet collected).
    static size_t liveWorkerCount();

    // Tests only: when nonzero, start() behaves as if thread creation had
    // failed with this error code.
    static int32_t simulatedThreadError;
    // Tests only: when not empty, "host:port" that requests connect to
    // whatever host they name (which their Host header still names), so that
    // a request to the maker's server reaches the tests' own.
    static WString testConnectTo;

    // What the worker and the request share.
    struct Shared;

private:
    void addPart(const std::string& name, const std::string* fileName, const void* data, size_t size,
                 const char* contentType);
    static void collectEndedWorkers();

    std::shared_ptr<Shared> shared;
    std::string host;
    std::string path;
    std::string boundary;
    std::vector<uint8_t> body;
    bool bHasForm = false;
    bool bStarted = false;
    // Set once getState() has seen 2 or 3: from then on the worker is done
    // with the error text and the reply, and they may be read.
    mutable bool bResultSeen = false;
};
