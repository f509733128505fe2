// The radio's serial port: a reader thread feeding the frame receiver and a writer
// thread framing one outgoing payload at a time. Each request starts a fresh exchange:
// a reply nobody took and a frame half received are forgotten before it is sent.
#pragma once

#include "navarprotocol.h"

#include <platform/event.h>
#include <platform/serial_device.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class SerialPort {
public:
    static constexpr int WaitTimeoutCode = 258;
    static constexpr int PayloadSize = 1024;

    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    bool SerialPortOpen(const char* name, int baudRate);
    bool SerialPortClose();
    bool SerialPortIsOpen() const;
    void SetReplyTimeout(int milliseconds);
    int ReplyTimeout() const { return replyTimeout; }
    // Forgets what arrived unasked, then queues one payload (at most 255 bytes) for the
    // writer, waiting while the writer has not yet taken the previous one; always 0.
    int SerialPortSend(const std::uint8_t* bytes, int length);
    // 0 when a reply was delivered (or the port is closed), 258 on time-out.
    int SerialPortWaitReply(std::uint8_t* dest, int* length);
    // After a time-out the reply may still come, and nothing tells it from the next
    // request's. It is counted as gone once a frame has arrived since (it, forgotten at the
    // next send) or one more reply time-out has passed. Milliseconds until then, else 0.
    int LateReplyDue();
    // The reply just taken answered an earlier request: the current one's may still come,
    // unless a frame has arrived since.
    void ExpectLateReply();
    // Waits until no late reply is due (at most one reply time-out).
    void WaitLateReply();

    const char* PortName() const { return portName; }
    int BaudRate() const { return baudRate; }

private:
    static int ReaderThread(SerialPort* port);
    static int WriterThread(SerialPort* port);

    char portName[28];
    int baudRate;
    std::uint8_t dataBits;
    std::uint8_t parity;
    std::uint8_t stopBits;
    int replyTimeout;
    std::mutex transmitLock;
    std::condition_variable outgoingTaken;
    std::mutex receiveLock;
    platform::SerialDevice device;
    std::unique_ptr<platform::Event> readerStop, writerStop, sendRequest, frameReceived;
    std::thread reader, writer;
    std::unique_ptr<navar_Protocol> receiver;
    std::uint8_t outgoing[PayloadSize];
    int outgoingLength;
    bool outgoingPending;   // handed over, not yet framed by the writer
    std::uint8_t received[PayloadSize];
    int receivedLength;
    bool lateReplyDue;      // a wait timed out and no frame has arrived since
    std::chrono::steady_clock::time_point lateReplyUntil;
};
extern SerialPort* serialPort;
