#include "net/ZubNetwork.h"

#include <algorithm>
#include <cstring>

#include "net/TrafficRecording.h"
#include "platform/CrashHandler.h"
#include "sys/Logger.h"
#include "sys/Settings.h"
#include "sys/TimeKeeper.h"

namespace {

ZubNetwork* current = nullptr;

struct ErrorName {
    int code;
    const char16_t* name;
};

// The Winsock 2 error list.
constexpr ErrorName kErrorNames[] = {
    {10004, u"WSAEINTR"},
    {10009, u"WSAEBADF"},
    {10013, u"WSAEACCES"},
    {10014, u"WSAEFAULT"},
    {10022, u"WSAEINVAL"},
    {10024, u"WSAEMFILE"},
    {10035, u"WSAEWOULDBLOCK"},
    {10036, u"WSAEINPROGRESS"},
    {10037, u"WSAEALREADY"},
    {10038, u"WSAENOTSOCK"},
    {10039, u"WSAEDESTADDRREQ"},
    {10040, u"WSAEMSGSIZE"},
    {10041, u"WSAEPROTOTYPE"},
    {10042, u"WSAENOPROTOOPT"},
    {10043, u"WSAEPROTONOSUPPORT"},
    {10044, u"WSAESOCKTNOSUPPORT"},
    {10045, u"WSAEOPNOTSUPP"},
    {10046, u"WSAEPFNOSUPPORT"},
    {10047, u"WSAEAFNOSUPPORT"},
    {10048, u"WSAEADDRINUSE"},
    {10049, u"WSAEADDRNOTAVAIL"},
    {10050, u"WSAENETDOWN"},
    {10051, u"WSAENETUNREACH"},
    {10052, u"WSAENETRESET"},
    {10053, u"WSAECONNABORTED"},
    {10054, u"WSAECONNRESET"},
    {10055, u"WSAENOBUFS"},
    {10056, u"WSAEISCONN"},
    {10057, u"WSAENOTCONN"},
    {10058, u"WSAESHUTDOWN"},
    {10059, u"WSAETOOMANYREFS"},
    {10060, u"WSAETIMEDOUT"},
    {10061, u"WSAECONNREFUSED"},
    {10062, u"WSAELOOP"},
    {10063, u"WSAENAMETOOLONG"},
    {10064, u"WSAEHOSTDOWN"},
    {10065, u"WSAEHOSTUNREACH"},
    {10066, u"WSAENOTEMPTY"},
    {10067, u"WSAEPROCLIM"},
    {10068, u"WSAEUSERS"},
    {10069, u"WSAEDQUOT"},
    {10070, u"WSAESTALE"},
    {10071, u"WSAEREMOTE"},
    {10091, u"WSASYSNOTREADY"},
    {10092, u"WSAVERNOTSUPPORTED"},
    {10093, u"WSANOTINITIALISED"},
    {10101, u"WSAEDISCON"},
    {10102, u"WSAENOMORE"},
    {10103, u"WSAECANCELLED"},
    {10104, u"WSAEINVALIDPROCTABLE"},
    {10105, u"WSAEINVALIDPROVIDER"},
    {10106, u"WSAEPROVIDERFAILEDINIT"},
    {10107, u"WSASYSCALLFAILURE"},
    {10108, u"WSASERVICE_NOT_FOUND"},
    {10109, u"WSATYPE_NOT_FOUND"},
    {10110, u"WSA_E_NO_MORE"},
    {10111, u"WSA_E_CANCELLED"},
    {10112, u"WSAEREFUSED"},
    {11001, u"WSAHOST_NOT_FOUND"},
    {11002, u"WSATRY_AGAIN"},
    {11003, u"WSANO_RECOVERY"},
    {11004, u"WSANO_DATA"},
    {11005, u"WSA_QOS_RECEIVERS"},
    {11006, u"WSA_QOS_SENDERS"},
    {11007, u"WSA_QOS_NO_SENDERS"},
    {11008, u"WSA_QOS_NO_RECEIVERS"},
    {11009, u"WSA_QOS_REQUEST_CONFIRMED"},
    {11010, u"WSA_QOS_ADMISSION_FAILURE"},
    {11011, u"WSA_QOS_POLICY_FAILURE"},
    {11012, u"WSA_QOS_BAD_STYLE"},
    {11013, u"WSA_QOS_BAD_OBJECT"},
    {11014, u"WSA_QOS_TRAFFIC_CTRL_ERROR"},
    {11015, u"WSA_QOS_GENERIC_ERROR"},
    {11016, u"WSA_QOS_ESERVICETYPE"},
    {11017, u"WSA_QOS_EFLOWSPEC"},
    {11018, u"WSA_QOS_EPROVSPECBUF"},
    {11019, u"WSA_QOS_EFILTERSTYLE"},
    {11020, u"WSA_QOS_EFILTERTYPE"},
    {11021, u"WSA_QOS_EFILTERCOUNT"},
    {11022, u"WSA_QOS_EOBJLENGTH"},
    {11023, u"WSA_QOS_EFLOWCOUNT"},
    {11024, u"WSA_QOS_EUNKOWNPSOBJ"},
    {11025, u"WSA_QOS_EPOLICYOBJ"},
    {11026, u"WSA_QOS_EFLOWDESC"},
    {11027, u"WSA_QOS_EPSFLOWSPEC"},
    {11028, u"WSA_QOS_EPSFILTERSPEC"},
    {11029, u"WSA_QOS_ESDMODEOBJ"},
    {11030, u"WSA_QOS_ESHAPERATEOBJ"},
    {11031, u"WSA_QOS_RESERVED_PETYPE"},
};

void log(const char* function, std::u16string_view text) { Logger::get().log(u"%s(): %s", function, text); }

}  // namespace

std::function<double()> ZubNetwork::clockOverride;

// ---------------------------------------------------------------------------

EmulatedPacket::EmulatedPacket(const uint8_t* bytes, int count, const NetAddress& from, const NetAddress& to,
                               double time)
    : sender(from), destination(to), length(count < 0 ? 0 : count), queueTime(time) {
    if (length > 0) {
        data = new uint8_t[length];
        std::memcpy(data, bytes, static_cast<size_t>(length));
    }
}

EmulatedPacket::~EmulatedPacket() { delete[] data; }

// ---------------------------------------------------------------------------

ZubNetwork::ZubNetwork(Settings* settings) : previous(current), trafficRecording(std::make_unique<TrafficRecording>()) {
    log("ZubNetwork::ZubNetwork", u"Starting...");
    // The socket library needs no start-up here.
    bEmulateLocalhost = true;
    if (settings) bEmulateLocalhost = settings->getEmulateLocalhost();
    log("ZubNetwork::ZubNetwork", u"Done.");
    current = this;
    CrashHandler::setNetRecording(&trafficRecording->crashView());
}

ZubNetwork::ZubNetwork(Quiet) : bQuiet(true) {}

ZubNetwork::~ZubNetwork() {
    if (!bQuiet) {
        log("ZubNetwork::~ZubNetwork", u"Cleaning up...");
        log("ZubNetwork::~ZubNetwork", u"Done.");
    }
    if (current == this) {
        current = previous;
        // The crash files take the traffic of the service that is left.
        CrashHandler::setNetRecording(current && current->trafficRecording ? &current->trafficRecording->crashView()
                                                                           : nullptr);
    }
    while (emulatedQueue.firstChild) deleteObject(emulatedQueue.firstChild);
    queued = 0;
}

ZubNetwork* ZubNetwork::active() { return current; }

ZubNetwork& ZubNetwork::get() {
    if (current) return *current;
    // Kept for the whole run; never the engine's service.
    static ZubNetwork* processWide = new ZubNetwork(Quiet{});
    return *processWide;
}

WString ZubNetwork::getWSAErrorString(int code) {
    for (const ErrorName& e : kErrorNames)
        if (e.code == code) return e.name;
    Logger::get().log(u"%s(): Unknown WSA error: %08x", "ZubNetwork::getWSAErrorString", static_cast<uint32_t>(code));
    return WString();
}

double ZubNetwork::now() {
    if (clockOverride) return clockOverride();
    if (TimeKeeper* k = TimeKeeper::active()) return k->getTime();
    static const double origin = TimeKeeper::getPhysicalTime();
    return TimeKeeper::getPhysicalTime() - origin;
}

// ---------------------------------------------------------------------------
// Emulated loopback

void ZubNetwork::queueEmulatedPacket(const uint8_t* bytes, int count, const NetAddress& from, const NetAddress& to) {
    LinkFate fate = linkFilter ? linkFilter(from, to, count) : LinkFate::Deliver;
    if (fate == LinkFate::Drop) return;
    // A queue nobody polls cannot grow without end.
    while (queued >= EMULATED_QUEUE_LIMIT && emulatedQueue.firstChild) {
        deleteObject(emulatedQueue.firstChild);
        --queued;
    }
    const double delay = linkDelay ? std::max(0.0, linkDelay(from, to)) : 0.0;
    auto* p = new EmulatedPacket(bytes, count, from, to, now() + delay);
    if (fate == LinkFate::Corrupt && p->length > 0) p->data[p->length - 1] ^= 0x5A;
    if (fate == LinkFate::Reorder) {
        // Overtakes the newest datagram waiting for the same destination.
        for (ZubBase* o = emulatedQueue.lastChild; o; o = o->prevSibling) {
            auto* e = static_cast<EmulatedPacket*>(o);
            if (e->destination == to) {
                p->queueTime = std::min(p->queueTime, e->queueTime);
                insertByArrival(p, e);
                return;
            }
        }
    }
    insertByArrival(p, nullptr);
    if (fate == LinkFate::Duplicate) insertByArrival(new EmulatedPacket(bytes, count, from, to, p->queueTime), nullptr);
}

void ZubNetwork::insertByArrival(EmulatedPacket* p, EmulatedPacket* before) {
    // The queue stays in order of arrival: expiry takes its head, and a
    // datagram that has not arrived yet ends the search for one that has.
    ZubBase* after = before ? before->prevSibling : emulatedQueue.lastChild;
    while (after && static_cast<EmulatedPacket*>(after)->queueTime > p->queueTime) after = after->prevSibling;
    if (after) emulatedQueue.insertChildAfter(p, after);
    else if (emulatedQueue.firstChild) emulatedQueue.insertChildBefore(p, emulatedQueue.firstChild);
    else emulatedQueue.addChild(p);
    ++queued;
}

bool ZubNetwork::receiveEmulatedPacket(NetAddress& from, uint8_t* buffer, int capacity, int& count,
                                       const NetAddress& own) {
    // The queue is in order of arrival: the expired datagrams are its head.
    const double t = now();
    while (emulatedQueue.firstChild &&
           static_cast<EmulatedPacket*>(emulatedQueue.firstChild)->queueTime + EMULATED_EXPIRY < t) {
        deleteObject(emulatedQueue.firstChild);
        --queued;
    }
    for (EmulatedPacket* e : childrenOf<EmulatedPacket>(emulatedQueue)) {
        if (e->queueTime > t) break;  // this one and those after it are still on the way
        if (e->destination == own) {
            const bool fits = e->length <= capacity;
            if (fits) {
                from = e->sender;
                count = e->length;
                if (count > 0) std::memcpy(buffer, e->data, static_cast<size_t>(count));
            } else {
                log("ZubNetwork::receiveEmulatedPacket", formatString(u"dropped a datagram of %d bytes", e->length));
            }
            deleteObject(e);
            --queued;
            if (fits) return true;
        }
    }
    return false;
}

void ZubNetwork::flushEmulatedPackets(const NetAddress& address) {
    for (EmulatedPacket* e : childrenOf<EmulatedPacket>(emulatedQueue)) {
        if (e->destination == address) {
            deleteObject(e);
            --queued;
        }
    }
    Logger::get().log(u"%s(): Flushed packets for %s, queue length is now %d.", "ZubNetwork::flushEmulatedPackets",
                      address.toString(), queued);
}

int ZubNetwork::emulatedQueuedFor(const NetAddress& address) const {
    int n = 0;
    for (const EmulatedPacket* e : childrenOf<EmulatedPacket>(emulatedQueue))
        if (e->destination == address) ++n;
    return n;
}
