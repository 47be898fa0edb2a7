#include "platform/HttpTransport.h"

#include <curl/curl.h>
#include <dlfcn.h>

namespace {

// libcurl is loaded on the first exchange, not when the program starts: it
// brings some thirty libraries of its own (TLS, Kerberos, LDAP...) that most
// runs never use. Only the header's types and constants are compiled in.
struct Curl {
    CURLcode (*globalInit)(long flags) = nullptr;
    CURL* (*easyInit)() = nullptr;
    void (*easyCleanup)(CURL*) = nullptr;
    CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
    CURLM* (*multiInit)() = nullptr;
    CURLMcode (*multiCleanup)(CURLM*) = nullptr;
    CURLMcode (*multiAddHandle)(CURLM*, CURL*) = nullptr;
    CURLMcode (*multiRemoveHandle)(CURLM*, CURL*) = nullptr;
    CURLMcode (*multiPerform)(CURLM*, int*) = nullptr;
    CURLMcode (*multiPoll)(CURLM*, curl_waitfd[], unsigned int, int, int*) = nullptr;
    CURLMsg* (*multiInfoRead)(CURLM*, int*) = nullptr;
    curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
    void (*slistFreeAll)(curl_slist*) = nullptr;
    // CURLE_OK once loaded and set up.
    CURLcode state = CURLE_FAILED_INIT;
};

template <class F>
bool bind(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

Curl loadCurl() {
    Curl c;
    void* library = nullptr;
    for (const char* name : {"libcurl.so.4", "libcurl-gnutls.so.4", "libcurl.so"})
        if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
    if (!library) return c;
    // The library stays loaded until the process ends.
    const bool all =
        bind(library, "curl_global_init", c.globalInit) && bind(library, "curl_easy_init", c.easyInit) &&
        bind(library, "curl_easy_cleanup", c.easyCleanup) && bind(library, "curl_easy_setopt", c.easySetopt) &&
        bind(library, "curl_easy_getinfo", c.easyGetinfo) && bind(library, "curl_multi_init", c.multiInit) &&
        bind(library, "curl_multi_cleanup", c.multiCleanup) &&
        bind(library, "curl_multi_add_handle", c.multiAddHandle) &&
        bind(library, "curl_multi_remove_handle", c.multiRemoveHandle) &&
        bind(library, "curl_multi_perform", c.multiPerform) && bind(library, "curl_multi_poll", c.multiPoll) &&
        bind(library, "curl_multi_info_read", c.multiInfoRead) && bind(library, "curl_slist_append", c.slistAppend) &&
        bind(library, "curl_slist_free_all", c.slistFreeAll);
    if (all) c.state = c.globalInit(CURL_GLOBAL_DEFAULT);
    return c;
}

// Loaded and set up once, by whichever thread gets here first.
const Curl& curl() {
    static const Curl instance = loadCurl();
    return instance;
}

// What the callbacks of one exchange share.
struct Transfer {
    std::vector<uint8_t>* body = nullptr;
    size_t maxBytes = 0;
    const std::atomic<bool>* abort = nullptr;
    bool bRequestSent = false;  // a connection stood and the request was about to go out
};

size_t onWrite(char* ptr, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (n > t->maxBytes - t->body->size()) return 0;  // too long: fails with a write error
    t->body->insert(t->body->end(), reinterpret_cast<const uint8_t*>(ptr), reinterpret_cast<const uint8_t*>(ptr) + n);
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    return t->abort->load(std::memory_order_acquire) ? 1 : 0;
}

int onPrerequest(void* user, char*, char*, int, int) {
    static_cast<Transfer*>(user)->bRequestSent = true;
    return CURL_PREREQFUNC_OK;
}

// "name", "name:port", "1.2.3.4:80" or "[::1]:80"; nothing that could change
// the meaning of the address (user names, paths, queries, spaces).
bool isValidHost(const std::string& host) {
    for (char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                        c == '-' || c == '_' || c == ':' || c == '[' || c == ']';
        if (!ok) return false;
    }
    return !host.empty();
}

bool isValidPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    for (char c : path) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f || c == '#') return false;
    }
    return true;
}

HttpStage fail(HttpResult& out, HttpStage stage, int32_t code) {
    out.stage = stage;
    out.errorCode = code;
    out.status = 0;
    out.body.clear();
    return stage;
}

// The stage at which a transfer that ended with `code` failed.
HttpStage stageOf(CURLcode code, bool bRequestSent) {
    switch (code) {
        case CURLE_URL_MALFORMAT:
        case CURLE_BAD_FUNCTION_ARGUMENT:
        case CURLE_NOT_BUILT_IN:
            return HttpStage::OpenRequest;
        default:
            break;
    }
    if (!bRequestSent) {
        if (code == CURLE_FAILED_INIT || code == CURLE_OUT_OF_MEMORY) return HttpStage::Session;
        if (code == CURLE_UNSUPPORTED_PROTOCOL) return HttpStage::OpenRequest;
        return HttpStage::Connect;  // resolving, connecting, or timed out / aborted meanwhile
    }
    // An answer that is not HTTP at all (or HTTP/0.9) has no status line.
    if (code == CURLE_WEIRD_SERVER_REPLY || code == CURLE_UNSUPPORTED_PROTOCOL) return HttpStage::QueryStatus;
    return HttpStage::Send;
}

// Owns the handles of one exchange.
struct Handles {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headers = nullptr;
    curl_slist* connectTo = nullptr;
    bool bAdded = false;

    ~Handles() {
        const Curl& c = curl();
        if (bAdded) c.multiRemoveHandle(multi, easy);
        if (easy) c.easyCleanup(easy);
        if (multi) c.multiCleanup(multi);
        if (headers) c.slistFreeAll(headers);
        if (connectTo) c.slistFreeAll(connectTo);
    }
};

bool appendLine(curl_slist*& list, const std::string& line) {
    curl_slist* next = curl().slistAppend(list, line.c_str());
    if (!next) return false;
    list = next;
    return true;
}

}  // namespace

static_assert(kHttpAbortedCode == CURLE_ABORTED_BY_CALLBACK);

HttpStage performHttp(const HttpCall& in, HttpResult& out, const std::atomic<bool>& abort) {
    out = HttpResult{};
    const Curl& c = curl();
    if (c.state != CURLE_OK) return fail(out, HttpStage::Session, c.state);
    if (in.host.empty()) return fail(out, HttpStage::Connect, CURLE_COULDNT_RESOLVE_HOST);
    if (!isValidHost(in.host) || !isValidPath(in.path)) return fail(out, HttpStage::OpenRequest, CURLE_URL_MALFORMAT);

    Handles h;
    h.easy = c.easyInit();
    h.multi = c.multiInit();
    if (!h.easy || !h.multi) return fail(out, HttpStage::Session, CURLE_FAILED_INIT);

    Transfer transfer;
    transfer.body = &out.body;
    transfer.maxBytes = in.maxReplyBytes;
    transfer.abort = &abort;

    const std::string url = "http://" + in.host + in.path;
    CURLcode rc = CURLE_OK;
#define ZUB_SETOPT(option, value) \
    if (rc == CURLE_OK) rc = c.easySetopt(h.easy, option, value)
    ZUB_SETOPT(CURLOPT_URL, url.c_str());
    ZUB_SETOPT(CURLOPT_PROTOCOLS_STR, "http");
    ZUB_SETOPT(CURLOPT_FOLLOWLOCATION, 0L);
    ZUB_SETOPT(CURLOPT_NOPROXY, "*");
    ZUB_SETOPT(CURLOPT_NOSIGNAL, 1L);
    ZUB_SETOPT(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    ZUB_SETOPT(CURLOPT_CONNECTTIMEOUT_MS, in.connectTimeoutMs);
    ZUB_SETOPT(CURLOPT_TIMEOUT_MS, in.totalTimeoutMs);
    ZUB_SETOPT(CURLOPT_WRITEFUNCTION, onWrite);
    ZUB_SETOPT(CURLOPT_WRITEDATA, static_cast<void*>(&transfer));
    ZUB_SETOPT(CURLOPT_NOPROGRESS, 0L);
    ZUB_SETOPT(CURLOPT_XFERINFOFUNCTION, onProgress);
    ZUB_SETOPT(CURLOPT_XFERINFODATA, static_cast<void*>(&transfer));
    ZUB_SETOPT(CURLOPT_PREREQFUNCTION, onPrerequest);
    ZUB_SETOPT(CURLOPT_PREREQDATA, static_cast<void*>(&transfer));
    if (!in.userAgent.empty()) ZUB_SETOPT(CURLOPT_USERAGENT, in.userAgent.c_str());
    if (!in.connectTo.empty()) {
        // Any host and port named go to the one given ("::name:port").
        if (!appendLine(h.connectTo, "::" + in.connectTo))
            return fail(out, HttpStage::OpenRequest, CURLE_OUT_OF_MEMORY);
        ZUB_SETOPT(CURLOPT_CONNECT_TO, h.connectTo);
    }
    if (in.bPost) {
        // No "Expect: 100-continue" round trip: the body follows the headers at once.
        if (!appendLine(h.headers, "Expect:") ||
            (!in.contentType.empty() && !appendLine(h.headers, "Content-Type: " + in.contentType))) {
            return fail(out, HttpStage::OpenRequest, CURLE_OUT_OF_MEMORY);
        }
        static const char kEmpty[] = "";
        ZUB_SETOPT(CURLOPT_POST, 1L);
        ZUB_SETOPT(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(in.body.size()));
        ZUB_SETOPT(CURLOPT_POSTFIELDS, in.body.empty() ? kEmpty : reinterpret_cast<const char*>(in.body.data()));
        ZUB_SETOPT(CURLOPT_HTTPHEADER, h.headers);
    } else {
        ZUB_SETOPT(CURLOPT_HTTPGET, 1L);
    }
#undef ZUB_SETOPT
    if (rc != CURLE_OK) return fail(out, HttpStage::OpenRequest, rc);

    if (c.multiAddHandle(h.multi, h.easy) != CURLM_OK) return fail(out, HttpStage::Session, CURLE_FAILED_INIT);
    h.bAdded = true;

    // Drive the transfer in short waits so that an abort is seen promptly even
    // while the server is silent.
    CURLcode result = CURLE_OK;
    bool bDone = false;
    for (;;) {
        int running = 0;
        if (c.multiPerform(h.multi, &running) != CURLM_OK) {
            result = CURLE_SEND_ERROR;
            break;
        }
        int left = 0;
        while (CURLMsg* msg = c.multiInfoRead(h.multi, &left)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == h.easy) {
                result = msg->data.result;
                bDone = true;
            }
        }
        if (bDone) break;
        if (abort.load(std::memory_order_acquire)) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (c.multiPoll(h.multi, nullptr, 0, 50, nullptr) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
    }

    if (result != CURLE_OK) return fail(out, stageOf(result, transfer.bRequestSent), result);

    long status = 0;
    const CURLcode info = c.easyGetinfo(h.easy, CURLINFO_RESPONSE_CODE, &status);
    if (info != CURLE_OK) return fail(out, HttpStage::QueryStatus, info);
    if (status <= 0) return fail(out, HttpStage::QueryStatus, CURLE_WEIRD_SERVER_REPLY);
    out.stage = HttpStage::None;
    out.status = status;
    return HttpStage::None;
}
