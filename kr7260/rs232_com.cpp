#include "rs232_com.h"

#include "ser_com.h"

#include <poll.h>
#include <cerrno>

serial_thread::serial_thread(TfrmSerial& link)
    : link_(link)
{
}

serial_thread::~serial_thread()
{
    Join();
}

void serial_thread::Start()
{
    thread_ = std::thread([this] { Execute(); });
}

void serial_thread::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void serial_thread::Execute()
{
    const int portFd = link_.Port.fd();
    if (portFd < 0)
        return;
    for (;;) {
        if (link_.StopEvent.isSet())
            return;
        pollfd fds[2] = {{portFd, POLLIN, 0}, {link_.StopEvent.fd(), POLLIN, 0}};
        const int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents & POLLIN)
            return;
        const short ev = fds[0].revents;
        if (ev & POLLIN) {
            // Bytes wait: wake the parser, then let it take them before looking again.
            link_.ReceiveEvent.set();
            if (platform::WaitForAny({&link_.ReadDoneEvent, &link_.StopEvent}, -1) != 0)
                return;
            // A lost port stays readable; once its last bytes are taken, stop watching it.
            if (ev & (POLLHUP | POLLERR | POLLNVAL))
                break;
            continue;
        }
        if (ev & (POLLHUP | POLLERR | POLLNVAL))
            break; // port lost: nothing more will arrive
    }
    // Let the parser see the loss, then wait only for the stop.
    link_.ReceiveEvent.set();
    link_.StopEvent.wait(-1);
}
