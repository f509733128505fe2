// A named pipe where a program under test expects a file. The helper holds both ends and
// has filled it, so a program that opens and reads it anyway gets data at once (and the
// test fails on what it loaded) rather than waiting for ever.
#pragma once

#include <QString>

namespace testsupport {

class NamedPipe {
public:
    explicit NamedPipe(const QString& path); // throws std::runtime_error when it cannot be made
    ~NamedPipe();
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    // Bytes still waiting in the pipe: Size() when nobody has read from it.
    int waiting() const;
    static int Size();

private:
    QString path_;
    int fd_ = -1;
};

} // namespace testsupport
