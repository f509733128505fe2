#include <platform/event.h>

#include <sys/eventfd.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline, for poll(); -1 when there is no limit.
int remainingMs(bool unlimited, Clock::time_point deadline)
{
    if (unlimited)
        return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return 0;
    // Round up so a poll never returns just short of the deadline and loops.
    return static_cast<int>(left) + 1;
}

// Takes the signal from an eventfd; false when another waiter got it first.
bool consume(int fd)
{
    std::uint64_t value;
    for (;;) {
        ssize_t n = ::read(fd, &value, sizeof value);
        if (n == sizeof value)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        return false;
    }
}

} // namespace

Event::Event(bool manualReset, bool initiallySet) : manual_(manualReset)
{
    fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd_ < 0)
        throw std::runtime_error("eventfd failed");
    if (initiallySet)
        set();
}

Event::~Event()
{
    ::close(fd_);
}

void Event::set()
{
    // The counter only needs to be non-zero; a read clears it whatever its value.
    std::uint64_t one = 1;
    while (::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Event::reset()
{
    consume(fd_);
}

bool Event::isSet() const
{
    pollfd p{fd_, POLLIN, 0};
    while (true) {
        int r = ::poll(&p, 1, 0);
        if (r < 0 && errno == EINTR)
            continue;
        return r > 0 && (p.revents & POLLIN);
    }
}

bool Event::wait(int timeoutMs)
{
    int index = WaitForAny({this}, timeoutMs);
    return index == 0;
}

int Event::fd() const
{
    return fd_;
}

int WaitForAny(std::initializer_list<Event*> events, int timeoutMs)
{
    const bool unlimited = timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeoutMs);
    std::vector<pollfd> fds;
    fds.reserve(events.size());
    for (Event* e : events)
        fds.push_back(pollfd{e->fd(), POLLIN, 0});

    for (;;) {
        int wait = remainingMs(unlimited, deadline);
        int r = ::poll(fds.data(), fds.size(), wait);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return WaitTimeout;
        }
        if (r > 0) {
            int i = 0;
            for (Event* e : events) {
                if (fds[i].revents & POLLIN) {
                    if (e->manualReset() || consume(e->fd()))
                        return i;
                }
                ++i;
            }
            // Another waiter took an auto-reset signal: wait on for what is left.
        }
        if (!unlimited && Clock::now() >= deadline)
            return WaitTimeout;
    }
}

} // namespace platform
