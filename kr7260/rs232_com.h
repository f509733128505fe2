// The comm-event thread: waits, without polling, until received bytes are waiting on the
// port and then signals the link's ReceiveEvent; it waits for the parser to take them
// before it looks again. Ends on the link's StopEvent or when the port is lost.
#pragma once

#include <thread>

class TfrmSerial;

class serial_thread {
public:
    explicit serial_thread(TfrmSerial& link);
    ~serial_thread();   // joins
    serial_thread(const serial_thread&) = delete;
    serial_thread& operator=(const serial_thread&) = delete;

    void Start();
    void Join();

private:
    void Execute();
    TfrmSerial& link_;
    std::thread thread_;
};
