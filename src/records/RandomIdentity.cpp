#include "records/RandomIdentity.h"

#include "sys/SystemRandom.h"
#include "util/Random.h"

namespace {

uint32_t (*identitySource)() = nullptr;

}  // namespace

uint32_t systemRandomIdentity() {
    for (;;) {
        const uint32_t value = systemRandom32();
        if (value != 0) return value;
    }
}

uint32_t drawIdentity() {
    randomNext();
    randomNext();
    uint32_t (*source)() = identitySource ? identitySource : systemRandomIdentity;
    for (int tries = 0; tries < 64; ++tries) {
        const uint32_t value = source();
        if (value != 0) return value;
    }
    return systemRandomIdentity();
}

void setIdentitySource(uint32_t (*source)()) { identitySource = source; }
