#include "sys/NetAddress.h"

#include "platform/UdpSocket.h"
#include "sys/Logger.h"
#include "util/Format.h"

NetAddress::Resolver NetAddress::resolver = &platform::resolveHostIPv4;

void NetAddress::setBoth(uint16_t newPort, std::u16string_view hostName) {
    family = 2;
    ip = 0;
    port = 0;
    for (uint8_t& b : zero) b = 0;
    if (hostName == u"localhost") {
        ip = LOOPBACK;
        port = newPort;
        return;
    }
    uint32_t found = 0;
    if (!resolver || !resolver(wideToNarrow(hostName), found)) {
        Logger::get().log(u"%s(): WARNING: could not resolve '%s', using 127.0.0.1:0", "NetAddress::setBoth",
                          escapeForLog(hostName));
        ip = LOOPBACK;
        port = 0;
        return;
    }
    ip = found;
    port = newPort;
}

void NetAddress::parse(std::u16string_view text) {
    const size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) {
        setBoth(0, text);
        return;
    }
    // A decimal port; digits past the 16 bits wrap as a 16-bit number would.
    uint32_t value = 0;
    for (char16_t c : text.substr(colon + 1)) {
        if (c < u'0' || c > u'9') break;
        value = (value * 10 + static_cast<uint32_t>(c - u'0')) & 0xFFFFFFu;
    }
    setBoth(static_cast<uint16_t>(value & 0xFFFF), text.substr(0, colon));
}

WString NetAddress::toString() const {
    return formatString(u"%d.%d.%d.%d:%d", static_cast<int>((ip >> 24) & 0xFF), static_cast<int>((ip >> 16) & 0xFF),
                        static_cast<int>((ip >> 8) & 0xFF), static_cast<int>(ip & 0xFF), static_cast<int>(port));
}
