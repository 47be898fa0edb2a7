#include "sys/HttpRequest.h"

#include <cerrno>
#include <chrono>
#include <new>
#include <system_error>
#include <thread>

#include "sys/Logger.h"
#include "util/Format.h"

namespace {

// The values of the standard form fields.
#if defined(__x86_64__)
constexpr const char* kPlatform = "linux-x86_64";
#elif defined(__aarch64__)
constexpr const char* kPlatform = "linux-arm64";
#elif defined(__i386__)
constexpr const char* kPlatform = "linux-x86";
#else
constexpr const char* kPlatform = "linux";
#endif
constexpr const char* kGameName = "Tumbrodemo";
constexpr const char* kGameVersion = "1.25";
constexpr const char* kGamePatch = "t";
constexpr const char* kUserAgent = "Tumbrodemo/1.25";

}  // namespace

struct HttpRequest::Shared {
    std::atomic<int32_t> state{StateIdle};
    std::atomic<bool> abort{false};
    std::atomic<bool> ended{false};  // the worker has published its result and is leaving
    HttpCall call;                   // filled before the worker starts; the worker's from then on
    WString errorText;               // written by the worker before state 2
    ByteBuffer reply;                // written by the worker before state 3
};

namespace {

struct Worker {
    std::shared_ptr<HttpRequest::Shared> shared;
    std::thread thread;
};

// The workers not yet joined. Used from the main thread only.
struct WorkerRegistry {
    std::vector<Worker> workers;
    ~WorkerRegistry() {
        // Only reached when the program ends without shutdownAll(): stop the
        // workers and wait for them, so that none runs on while the
        // program's statics are torn down.
        for (Worker& w : workers) w.shared->abort.store(true, std::memory_order_release);
        for (Worker& w : workers)
            if (w.thread.joinable()) w.thread.join();
    }
};

WorkerRegistry& registry() {
    static WorkerRegistry instance;
    return instance;
}

void runWorker(std::shared_ptr<HttpRequest::Shared> s) {
    HttpResult result;
    performHttp(s->call, result, s->abort);
    s->call.body.clear();
    s->call.body.shrink_to_fit();
    if (result.stage == HttpStage::None && result.status >= 200 && result.status <= 299) {
        if (!result.body.empty()) s->reply.assign(result.body.data(), result.body.size());
        result.body = {};
        s->state.store(HttpRequest::StateFinished, std::memory_order_release);
    } else {
        s->errorText = HttpRequest::describeFailure(result.stage, result.errorCode, result.status);
        s->state.store(HttpRequest::StateFailed, std::memory_order_release);
    }
    s->ended.store(true, std::memory_order_release);
}

// A multipart boundary that no sane content contains by chance.
std::string makeBoundary(const void* owner) {
    static uint64_t counter = 0;
    uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(owner)) << 16) ^
                 (++counter * 0x9E3779B97F4A7C15ull);
    std::string result = "----ZubFormBoundary";
    for (int round = 0; round < 2; ++round) {
        // splitmix64
        x += 0x9E3779B97F4A7C15ull;
        uint64_t z = x;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        for (int i = 0; i < 16; ++i) result += "0123456789abcdef"[(z >> (i * 4)) & 15];
    }
    return result;
}

// A name or file name inside a quoted Content-Disposition parameter.
std::string quoteParameter(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '"') out += "%22";
        else if (c == '\r') out += "%0D";
        else if (c == '\n') out += "%0A";
        else out += c;
    }
    return out;
}

void append(std::vector<uint8_t>& body, const std::string& text) { body.insert(body.end(), text.begin(), text.end()); }

const WString& emptyText() {
    static const WString empty;
    return empty;
}

const ByteBuffer& emptyReply() {
    static const ByteBuffer empty;
    return empty;
}

}  // namespace

WString HttpRequest::webHost;
const char16_t* const HttpRequest::makerHost = u"www.velmorastudios.example";
long HttpRequest::defaultConnectTimeoutMs = 15000;
long HttpRequest::defaultTotalTimeoutMs = 60000;
int32_t HttpRequest::simulatedThreadError = 0;

WString HttpRequest::testConnectTo;

WString HttpRequest::webServerHost() { return webHost.empty() ? WString(makerHost) : webHost; }

WString HttpRequest::pageAddress(std::u16string_view path) { return u"http://" + webServerHost() + WString(path); }

std::unique_ptr<HttpRequest> HttpRequest::toWebServer(std::u16string_view path) {
    return std::make_unique<HttpRequest>(webServerHost(), WString(path));
}

HttpRequest::HttpRequest(const WString& hostName, const WString& requestPath)
    : shared(std::make_shared<Shared>()),
      host(wideToUtf8(hostName)),
      path(wideToUtf8(requestPath)),
      boundary(makeBoundary(this)) {}

HttpRequest::~HttpRequest() {
    // A running worker keeps its own share of the state and finishes alone;
    // shutdownAll() stops it at the latest.
    shared.reset();
    collectEndedWorkers();
}

void HttpRequest::beginForm() {
    addFormField(u"platform", narrowToWide(kPlatform));
    addFormField(u"gameName", narrowToWide(kGameName));
    addFormField(u"gameVersion", narrowToWide(kGameVersion));
    addFormField(u"gamePatch", narrowToWide(kGamePatch));
}

void HttpRequest::addFormField(const void* data, size_t size, const WString& name, const WString& fileName) {
    const std::string narrowFile = wideToUtf8(fileName);
    addPart(wideToUtf8(name), fileName.empty() ? nullptr : &narrowFile, data, size, "application/octet-stream");
}

void HttpRequest::addFormField(const WString& name, const WString& text) {
    const std::string utf8 = wideToUtf8(text);
    addPart(wideToUtf8(name), nullptr, utf8.data(), utf8.size(), nullptr);
}

void HttpRequest::addPart(const std::string& name, const std::string* fileName, const void* data, size_t size,
                          const char* contentType) {
    if (bStarted) {
        Logger::get().log(u"%s(): %s", "HttpRequest::addFormField",
                          formatString(u"Request already started; form field '%s' ignored.", name));
        return;
    }
    std::string head = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + quoteParameter(name) + "\"";
    if (fileName) head += "; filename=\"" + quoteParameter(*fileName) + "\"";
    head += "\r\n";
    if (contentType) head += std::string("Content-Type: ") + contentType + "\r\n";
    head += "\r\n";
    append(body, head);
    if (size > 0 && data) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        body.insert(body.end(), bytes, bytes + size);
    }
    append(body, "\r\n");
    bHasForm = true;
}

bool HttpRequest::start() {
    collectEndedWorkers();
    if (bStarted) {
        Logger::get().log(u"%s(): %s", "HttpRequest::start", u"Request already started.");
        return false;
    }
    bStarted = true;

    HttpCall& call = shared->call;
    call.host = host;
    call.path = path;
    call.userAgent = kUserAgent;
    call.connectTo = wideToUtf8(testConnectTo);
    call.connectTimeoutMs = connectTimeoutMs;
    call.totalTimeoutMs = totalTimeoutMs;
    if (bHasForm) {
        append(body, "--" + boundary + "--\r\n");
        call.bPost = true;
        call.contentType = "multipart/form-data; boundary=" + boundary;
        call.body = std::move(body);
        body = {};
    }
    Logger::get().log(u"%s(): %s", "HttpRequest::start",
                      formatString(u"%s http://%s%s (%u bytes)", call.bPost ? "POST" : "GET", escapeForLog(host),
                                   escapeForLog(path), static_cast<unsigned long long>(call.body.size())));

    shared->state.store(StateRunning, std::memory_order_release);

    int32_t error = simulatedThreadError;
    if (error == 0) {
        auto& workers = registry().workers;
        try {
            workers.reserve(workers.size() + 1);
            std::thread thread(runWorker, shared);
            workers.push_back(Worker{shared, std::move(thread)});
        } catch (const std::system_error& e) {
            error = e.code().value() != 0 ? e.code().value() : EAGAIN;
        } catch (const std::bad_alloc&) {
            error = ENOMEM;
        }
    }
    if (error != 0) {
        shared->errorText = formatString(u"Thread creation failed (error %08x)", error);
        shared->state.store(StateFailed, std::memory_order_release);
        Logger::get().log(u"%s(): %s", "HttpRequest::start", shared->errorText);
        return false;
    }
    return true;
}

int32_t HttpRequest::getState() const {
    const int32_t state = shared->state.load(std::memory_order_acquire);
    if (state == StateFailed || state == StateFinished) bResultSeen = true;
    return state;
}

void HttpRequest::setIdle() {
    const int32_t state = getState();
    if (state == StateFailed || state == StateFinished) shared->state.store(StateIdle, std::memory_order_release);
}

const WString& HttpRequest::getErrorText() const { return bResultSeen ? shared->errorText : emptyText(); }

const ByteBuffer& HttpRequest::getReply() const { return bResultSeen ? shared->reply : emptyReply(); }

WString HttpRequest::getReplyText() const {
    const ByteBuffer& reply = getReply();
    const uint8_t* d = reply.data;
    const size_t n = reply.size;
    if (n >= 2 && ((d[0] == 0xFF && d[1] == 0xFE) || (d[0] == 0xFE && d[1] == 0xFF))) {
        const bool bigEndian = d[0] == 0xFE;
        WString text;
        text.reserve((n - 2) / 2 + 1);
        for (size_t i = 2; i + 1 < n; i += 2) {
            text += bigEndian ? static_cast<char16_t>((d[i] << 8) | d[i + 1])
                              : static_cast<char16_t>(d[i] | (d[i + 1] << 8));
        }
        if ((n - 2) % 2 != 0) text += u'\xFFFD';  // a lone trailing byte
        return text;
    }
    size_t skip = 0;
    if (n >= 3 && d[0] == 0xEF && d[1] == 0xBB && d[2] == 0xBF) skip = 3;
    if (n == 0) return WString();
    return narrowToWide(std::string_view(reinterpret_cast<const char*>(d) + skip, n - skip));
}

WString HttpRequest::describeFailure(HttpStage stage, int32_t errorCode, long status) {
    switch (stage) {
        case HttpStage::None:
            return formatString(u"Failed with HTTP status code %d", status);
        case HttpStage::Session:
            return formatString(u"Could not open internet session (error %08x)", errorCode);
        case HttpStage::Connect:
            return formatString(u"Could not connect (error %08x)", errorCode);
        case HttpStage::OpenRequest:
            return formatString(u"Could not open request (error %08x)", errorCode);
        case HttpStage::Send:
            return formatString(u"Could not send request (error %08x)", errorCode);
        case HttpStage::QueryStatus:
            return formatString(u"Could not query HTTP status code (error %08x)", errorCode);
    }
    return formatString(u"Could not send request (error %08x)", errorCode);
}

void HttpRequest::collectEndedWorkers() {
    auto& workers = registry().workers;
    for (size_t i = 0; i < workers.size();) {
        if (workers[i].shared->ended.load(std::memory_order_acquire)) {
            workers[i].thread.join();
            workers.erase(workers.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

size_t HttpRequest::shutdownAll(long timeoutMs) {
    auto& workers = registry().workers;
    if (workers.empty()) return 0;
    size_t running = 0;
    for (Worker& w : workers) {
        if (!w.shared->ended.load(std::memory_order_acquire)) ++running;
        w.shared->abort.store(true, std::memory_order_release);
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        bool allEnded = true;
        for (const Worker& w : workers) {
            if (!w.shared->ended.load(std::memory_order_acquire)) {
                allEnded = false;
                break;
            }
        }
        if (allEnded || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    size_t stuck = 0;
    for (const Worker& w : workers)
        if (!w.shared->ended.load(std::memory_order_acquire)) ++stuck;
    if (running > 0) {
        Logger::get().log(
            u"%s(): %s", "HttpRequest::shutdownAll",
            formatString(u"Aborted %u running request(s); %u did not stop in time.",
                         static_cast<unsigned long long>(running), static_cast<unsigned long long>(stuck)));
    }
    // Every worker is joined, also one that is late: a worker left running
    // could outlive what it uses at exit.
    for (Worker& w : workers) w.thread.join();
    workers.clear();
    return stuck;
}

size_t HttpRequest::liveWorkerCount() {
    collectEndedWorkers();
    return registry().workers.size();
}
