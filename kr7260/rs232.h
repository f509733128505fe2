// The frame parser thread: on each wake-up reads the port into the receive ring, takes
// apart every frame that ends in 0xCC, then runs one step of the active machine.
#pragma once

#include <cstdint>
#include <thread>

class TfrmSerial;

class rs232_processor {
public:
    explicit rs232_processor(TfrmSerial& link);
    ~rs232_processor();  // joins
    rs232_processor(const rs232_processor&) = delete;
    rs232_processor& operator=(const rs232_processor&) = delete;

    void Start();
    // Returns once the thread has ended; the caller sets the link's StopEvent first.
    void Join();

    // One wake-up without waiting: read up to 100 bytes from the port (when open),
    // store and parse them, then one machine step.
    void Wake();
    // Steps 3 and 4 of a wake-up: store the bytes in the ring and parse every frame.
    // Count is at most TfrmSerial::MaxReadBytes.
    void Receive(const std::uint8_t* data, int count);
    // One step of the machine named by the transfer's TransferMode.
    void RunMachineStep();

private:
    void Execute();
    void ParseFrameAt(int terminatorPos);
    bool ChecksumValid(int checksumPos, int frameLength) const;
    static int StepBack(int pos) { return pos == 0 ? 100 : pos - 1; }

    TfrmSerial& link_;
    std::thread thread_;
    int ParsePos = 0;
    bool portLost_ = false;
};
