#pragma once
// Processes: an advisory lock that only one process holds at a time,
// starting another program from an argument vector (never through a shell),
// and the standard streams a program is started without.
#include <string>
#include <vector>

namespace platform {

// An exclusive advisory lock (flock) on a file. The lock belongs to this
// process's open file; it is released by release(), by the destructor, or by
// the system when the process ends, however it ends. The descriptor is not
// inherited by programs this process starts, so a browser opened at exit
// cannot keep the lock alive.
class InstanceLock {
public:
    enum class Result { Acquired, HeldElsewhere, Failed };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Creates the file when missing and tries to lock it without waiting.
    // HeldElsewhere: another open file (another process) holds the lock.
    // Failed: the file could not be opened or locked; `error` says why.
    // A lock object copied into a child by fork() does not count as held
    // there: the child's acquire tries for a lock of its own.
    Result acquire(const std::string& path, std::string* error = nullptr);
    void release();
    bool isHeld() const;

private:
    int fd = -1;
    long owner = 0;  // process id of the holder
};

// Starts argv[0] (searched in PATH) with the given arguments and returns at
// once without waiting for it. The arguments reach the program as they are:
// no shell is involved. Returns the process id, or -1 when the program could
// not be started (`error` says why).
long spawnProcess(const std::vector<std::string>& argv, std::string* error = nullptr);

// Waits for a process started by spawnProcess; its exit status, or -1 when it
// did not exit normally or cannot be waited for.
int waitForProcess(long pid);

// Collects a finished child without waiting; true when it had finished.
bool reapProcessIfFinished(long pid);

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed (a program
// started with ">&-" or "2>&-"). Else the next file, folder or lock the
// program opens would take that descriptor: what the program prints would
// go into it, and /dev/stdout (/proc/self/fd/1) would name it. Where
// /dev/null cannot be opened, a descriptor that is open on nothing to read
// or write (O_PATH) takes the place: reading and writing there fail as on a
// closed stream. For the very start of main, before anything is opened.
void openClosedStandardStreams();

}  // namespace platform
