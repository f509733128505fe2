#include "rs232_com.h"

#include "ser_com.h"

#include <platform/serial_device.h>

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
    using Device = platform::SerialDevice;
    for (;;) {
        if (link_.StopEvent.isSet())
            return;
        const int seen = link_.Port.waitReadable(&link_.StopEvent, -1);
        if (seen & Device::EventSet)
            return;
        if (seen & Device::Readable) {
            // Bytes wait: wake the parser, then let it take them before looking again.
            link_.ReceiveEvent.set();
            if (platform::WaitForAny({&link_.ReadDoneEvent, &link_.StopEvent}, -1) != 0)
                return;
            // A lost port stays readable; once its last bytes are taken, stop watching it.
            if (seen & Device::Lost)
                break;
            continue;
        }
        if (seen & Device::Lost)
            break; // port lost: nothing more will arrive
    }
    // Let the parser see the loss, then wait only for the stop.
    link_.ReceiveEvent.set();
    link_.StopEvent.wait(-1);
}
