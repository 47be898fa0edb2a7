#include "sys/SingleInstance.h"

#include "platform/PlatformProcess.h"
#include "sys/ErrorManager.h"
#include "sys/Logger.h"
#include "sys/Paths.h"

namespace {

platform::InstanceLock& instanceLock() {
    static platform::InstanceLock lock;
    return lock;
}

void logInstance(const WString& text) { Logger::get().log(u"%s(): %s", "SingleInstance::acquire", text); }

}  // namespace

bool acquireSingleInstance() {
    if (ErrorManager::bTestMode) return true;
    return acquireSingleInstanceIn(getUserDataFolder());
}

bool acquireSingleInstanceIn(const std::string& folder) {
    const std::string path = folder + kSingleInstanceLockName;
    std::string error;
    switch (instanceLock().acquire(path, &error)) {
        case platform::InstanceLock::Result::Acquired:
            return true;
        case platform::InstanceLock::Result::HeldElsewhere:
            logInstance(formatString(u"Another instance holds '%s'.", escapeForLog(path)));
            return false;
        case platform::InstanceLock::Result::Failed:
            break;
    }
    logInstance(formatString(u"Could not lock '%s' (%s); starting anyway.", escapeForLog(path), escapeForLog(error)));
    return true;
}

void releaseSingleInstance() { instanceLock().release(); }
