// A pseudo-terminal pair: tests hold the master, the program under test opens the slave.
#pragma once

#include "support/environment.h"

#include <string>

namespace testsupport {

class PtyPair {
public:
    PtyPair();           // throws std::runtime_error when no pty can be made
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }
    // Closes the master: the slave then sees the far end gone (EIO / POLLHUP).
    void closeMaster();

private:
    int master_ = -1;
    int slaveKeep_ = -1; // kept open so the slave exists before the program opens it
    std::string slavePath_;
};

// Points COMn at a device for the rest of the test (sets NAVAR_COMn); the destructor restores it.
class ComMapping {
public:
    ComMapping(int n, const std::string& path);
private:
    ScopedEnv env_;
};

} // namespace testsupport
