// Manual- and auto-reset events for the serial threads, pollable through a file descriptor.
#pragma once

#include <initializer_list>

namespace platform {

class Event {
public:
    explicit Event(bool manualReset, bool initiallySet = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    bool isSet() const;
    // True when the event was (or became) set within timeoutMs (-1: no limit).
    // An auto-reset event is reset by the wait that sees it.
    bool wait(int timeoutMs);
    // Readable while the event is set; for poll() beside other descriptors.
    int fd() const;
    bool manualReset() const { return manual_; }

private:
    int fd_;
    bool manual_;
};

constexpr int WaitTimeout = -1;
// Waits until any of the events is set; returns its index, or WaitTimeout.
// The auto-reset event that is returned is reset.
int WaitForAny(std::initializer_list<Event*> events, int timeoutMs);

} // namespace platform
