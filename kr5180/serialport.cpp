// The radio's serial port: reader and writer threads around one exclusive device.
#include "serialport.h"

#include "wire.h"

#include <cstring>
#include <system_error>

SerialPort* serialPort = nullptr;

namespace {
constexpr int ReadChunk = 256;
constexpr int MaxPayload = wire::MaxPayload;
constexpr int LineDataBits = 8, LineParity = 0, LineStopBits = 0; // 8N1 (Win32 stop-bit code 0)
} // namespace

SerialPort::SerialPort()
    : baudRate(9600),
      dataBits(LineDataBits),
      parity(LineParity),
      stopBits(LineStopBits),
      replyTimeout(500),
      receiver(std::make_unique<navar_Protocol>()),
      outgoingLength(0),
      outgoingPending(false),
      receivedLength(0),
      lateReplyDue(false)
{
    std::strcpy(portName, "COM1");
    std::memset(outgoing, 0, sizeof outgoing);
    std::memset(received, 0, sizeof received);
}

SerialPort::~SerialPort()
{
    SerialPortClose();
}

bool SerialPort::SerialPortOpen(const char* name, int baud)
{
    if (SerialPortIsOpen() || name == nullptr)
        return false;

    std::strncpy(portName, name, sizeof portName - 1);
    portName[sizeof portName - 1] = '\0';
    baudRate = baud;

    // The device is always raw 8N1 at the baud rate; the saved settings return at close.
    if (!device.open(portName, baudRate))
        return false;
    device.purge();
    // A frame half-received on the previous port must not swallow this port's first reply.
    receiver = std::make_unique<navar_Protocol>();

    readerStop = std::make_unique<platform::Event>(true);
    writerStop = std::make_unique<platform::Event>(true);
    sendRequest = std::make_unique<platform::Event>(true);
    frameReceived = std::make_unique<platform::Event>(true);
    {
        std::lock_guard<std::mutex> lock(transmitLock);
        outgoingLength = 0;
        outgoingPending = false;
    }
    {
        std::lock_guard<std::mutex> lock(receiveLock);
        receivedLength = 0;
        lateReplyDue = false;
    }

    try {
        reader = std::thread(&SerialPort::ReaderThread, this);
        writer = std::thread(&SerialPort::WriterThread, this);
    } catch (const std::system_error&) {
        SerialPortClose(); // the device is open: this stops whichever thread did start
        return false;
    }
    return true;
}

bool SerialPort::SerialPortClose()
{
    if (!SerialPortIsOpen())
        return false;
    readerStop->set();
    writerStop->set();
    if (reader.joinable())
        reader.join();
    if (writer.joinable())
        writer.join();
    device.close();
    readerStop.reset();
    writerStop.reset();
    sendRequest.reset();
    frameReceived.reset();
    return true;
}

bool SerialPort::SerialPortIsOpen() const
{
    return device.isOpen();
}

void SerialPort::SetReplyTimeout(int milliseconds)
{
    // A negative time-out would wait without limit.
    replyTimeout = milliseconds < 0 ? 0 : milliseconds;
}

int SerialPort::SerialPortSend(const std::uint8_t* bytes, int length)
{
    if (!SerialPortIsOpen())
        return 0;
    if (length < 0 || length > MaxPayload || (length > 0 && bytes == nullptr))
        return 0;
    {
        // A reply that came late, twice or unasked, and a frame cut short, belong to no
        // request: forgotten here, they cost at most the exchange they arrived in.
        std::lock_guard<std::mutex> lock(receiveLock);
        receiver->Reset();
        receivedLength = 0;
        frameReceived->reset();
    }
    {
        // The previous payload may still wait for the writer: never overwrite it. The
        // writer takes it as soon as its current write ends (a write gives up after 5 s).
        std::unique_lock<std::mutex> lock(transmitLock);
        outgoingTaken.wait(lock, [this] { return !outgoingPending; });
        if (length > 0)
            std::memcpy(outgoing, bytes, static_cast<std::size_t>(length));
        outgoingLength = length;
        outgoingPending = true;
    }
    sendRequest->set();
    return 0;
}

int SerialPort::SerialPortWaitReply(std::uint8_t* dest, int* length)
{
    if (!SerialPortIsOpen())
        return 0;
    if (!frameReceived->wait(replyTimeout)) {
        ExpectLateReply();
        return WaitTimeoutCode;
    }
    std::lock_guard<std::mutex> lock(receiveLock);
    // Reset under the lock: a frame published after this point sets the event again.
    frameReceived->reset();
    if (receivedLength > 0 && receivedLength < PayloadSize) {
        if (dest != nullptr)
            std::memcpy(dest, received, static_cast<std::size_t>(receivedLength));
        if (length != nullptr)
            *length = receivedLength;
    }
    return 0;
}

void SerialPort::ExpectLateReply()
{
    std::lock_guard<std::mutex> lock(receiveLock);
    // A frame published since the last one was taken is that reply, already in: it is
    // forgotten at the next send, and nothing more is due.
    if (!frameReceived || frameReceived->isSet())
        return;
    lateReplyDue = true;
    lateReplyUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(replyTimeout);
}

int SerialPort::LateReplyDue()
{
    if (!SerialPortIsOpen())
        return 0;
    std::lock_guard<std::mutex> lock(receiveLock);
    if (!lateReplyDue)
        return 0;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(lateReplyUntil - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        lateReplyDue = false;
        return 0;
    }
    return static_cast<int>(left.count());
}

void SerialPort::WaitLateReply()
{
    // While a reply is due no frame is waiting, so this sleeps until one arrives (which
    // ends the due) or the deadline passes.
    if (const int left = LateReplyDue(); left > 0)
        frameReceived->wait(left);
}

int SerialPort::ReaderThread(SerialPort* port)
{
    std::uint8_t buffer[PayloadSize];
    std::uint8_t frame[navar_Protocol::BufferSize];
    while (!port->readerStop->isSet()) {
        const int n = port->device.read(buffer, ReadChunk, -1, port->readerStop.get());
        if (n < 0) {
            // The port is gone: wait to be told to stop rather than spin on a dead line.
            port->readerStop->wait(-1);
            break;
        }
        // Parsed under the receive lock, so a request's clean start never falls inside
        // a frame being taken apart.
        std::lock_guard<std::mutex> lock(port->receiveLock);
        for (int i = 0; i < n; ++i) {
            if (port->receiver->ProtocolParseByte(buffer[i]) != 1)
                continue;
            const int len = port->receiver->ProtocolGetPayload(frame);
            // An empty frame carries no reply; publishing it would let the caller decode
            // the previous reply's bytes.
            if (len <= 0)
                continue;
            std::memcpy(port->received, frame, static_cast<std::size_t>(len));
            port->receivedLength = len;
            port->lateReplyDue = false;
            port->frameReceived->set();
        }
    }
    return 0;
}

int SerialPort::WriterThread(SerialPort* port)
{
    std::uint8_t frame[navar_Protocol::BufferSize];
    for (;;) {
        const int which = platform::WaitForAny({port->writerStop.get(), port->sendRequest.get()}, -1);
        if (which == 0)
            break;
        if (which != 1)
            continue; // only the stop event ends the writer: a send waits for it
        port->sendRequest->reset();
        int n = 0;
        {
            std::lock_guard<std::mutex> lock(port->transmitLock);
            if (port->outgoingPending) {
                n = navar_Protocol::ProtocolBuildFrame(frame, port->outgoing, port->outgoingLength);
                port->outgoingPending = false;
            }
        }
        port->outgoingTaken.notify_one();
        if (n > 0)
            port->device.write(frame, static_cast<std::size_t>(n)); // a failed write shows as a time-out
    }
    return 0;
}
