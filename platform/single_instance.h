// One running copy per user: a lock file and a local socket named after the mutex, both
// in the user's runtime folder ($XDG_RUNTIME_DIR, else a private <temp>/navar-<uid>).
// Through the socket a second start brings the first window forward.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLockFile;
class QLocalServer;

namespace platform {

class SingleInstance {
public:
    explicit SingleInstance(const QString& mutexName);
    ~SingleInstance();
    // True when this is the only copy; it then owns the lock until destroyed.
    bool TryLock();
    // The first copy calls this to be told when another copy starts.
    void OnActivateRequest(std::function<void()> handler);
    // A second copy calls this to ask the first to come forward; true if it answered.
    bool ActivateFirst();

private:
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> handler_;
};

} // namespace platform
