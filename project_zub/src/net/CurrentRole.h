#pragma once
// Makes a network role the current one (THEROLE) for a scope and puts the
// role that was current before back when the scope ends, however it ends
// (a return, an exception). A role that is about to go away must not come
// back: when the current role is `leaving`, the guard puts back none.
#include "net/NetRole.h"

class CurrentRole {
public:
    // Keeps the current role current; the end of the scope puts it back.
    CurrentRole() : saved(THEROLE) {}
    explicit CurrentRole(NetRole* role, const NetRole* leaving = nullptr)
        : saved(leaving && THEROLE == leaving ? nullptr : THEROLE) {
        THEROLE = role;
    }
    ~CurrentRole() { THEROLE = saved; }
    CurrentRole(const CurrentRole&) = delete;
    CurrentRole& operator=(const CurrentRole&) = delete;

    // The role put back at the end.
    NetRole* previous() const { return saved; }

private:
    NetRole* saved;
};
