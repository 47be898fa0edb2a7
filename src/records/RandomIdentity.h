#pragma once
// Identities of an installation (the configuration's player id) and of a
// player profile.
//
// An identity used to be two steps of the program's shared generator, which
// starts at 1 on every machine, so every new installation got the same "random"
// identity. Now the value comes from the system's random source, while the
// shared generator still takes its two steps, so that everything drawn from it
// afterwards stays in step with the rest of the program.
#include <cstdint>

// Two steps of randomState, then a non-zero value from the identity source.
uint32_t drawIdentity();

// A non-zero 32-bit value from the system's random source.
uint32_t systemRandomIdentity();

// Replaces the identity source (tests); null restores the system's source.
// A source that returns 0 is asked again.
void setIdentitySource(uint32_t (*source)());
