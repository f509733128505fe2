// Every test program runs in folders of its own, so no test writes into the real home folder
// and two copies of the suite never meet: HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME,
// XDG_DATA_HOME, XDG_RUNTIME_DIR and NAVAR_DEVROOT (an empty device tree, so a COM name
// no test maps reaches no real port) point into one temporary folder, removed at exit.
#pragma once

#include <QByteArray>
#include <QString>

namespace testsupport {

class TestEnvironment {
public:
    TestEnvironment();  // sets the variables; throws std::runtime_error when it cannot
    ~TestEnvironment(); // removes the folder (only in the process that made it)
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

private:
    QString root_;
    qint64 owner_;
};

// Sets an environment variable (unsets it, given a null value) for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray name_;
    QByteArray old_;
    bool had_;
};

} // namespace testsupport
