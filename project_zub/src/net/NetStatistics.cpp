#include "net/NetStatistics.h"

uint32_t NetStatistics::get(int counter) const {
    switch (counter) {
        case PACKETS_OUT:
            return packetsOut;
        case PACKETS_IN:
            return packetsIn;
        case BYTES_OUT:
            return bytesOut;
        case BYTES_IN:
            return bytesIn;
        case PAYLOAD_OUT:
            return payloadOut;
        case PAYLOAD_IN:
            return payloadIn;
        case RESEND_REQUESTS:
            return resendRequests;
        case RESENDS:
            return resends;
        case LOST:
            return lost;
        case OUT_OF_ORDER:
            return outOfOrder;
        default:
            return 0;
    }
}

void NetStatistics::add(const NetStatistics& o) {
    packetsOut += o.packetsOut;
    packetsIn += o.packetsIn;
    bytesOut += o.bytesOut;
    bytesIn += o.bytesIn;
    payloadOut += o.payloadOut;
    payloadIn += o.payloadIn;
    resendRequests += o.resendRequests;
    resends += o.resends;
    lost += o.lost;
    outOfOrder += o.outOfOrder;
    for (int i = 0; i < 4; ++i) commands[i] += o.commands[i];
    for (int g = 0; g < 3; ++g)
        for (int i = 0; i < 4; ++i) reserved[g][i] += o.reserved[g][i];
}
