// A serial port by its program name "COM1".."COM8", opened exclusively as raw 8N1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class Event;

// "COMn" resolves to: $NAVAR_COMn, then [Ports] COMn= in $XDG_CONFIG_HOME/Navar/ports.ini
// (~/.config when unset), then the nth of SerialDevicesPresent(); empty when there is no
// nth device. Any other name is returned unchanged.
std::string ResolvePortName(const std::string& name);

// The serial devices present, in COM order: /dev/serial/by-id links (sorted by name),
// then ttyUSBn and ttyACMn not named there, then ttySn whose UART type the kernel
// reports as known (/sys/class/tty/ttySn/type not 0). Under $NAVAR_DEVROOT when set
// (a fake device tree for tests).
std::vector<std::string> SerialDevicesPresent();

// The device a port name maps to, for showing: "/dev/ttyUSB0", "/dev/ttyS4 (not present)"
// or "No serial device".
std::string DescribePort(const std::string& name);

// Why the last open of the port in this process failed and what to do, in two lines
// (device, then reason and remedy); empty when it did not fail.
std::string PortOpenFailure(const std::string& name);

// One thread may read while another writes; open, close and setBaud must not run
// beside them (stop and join the reader before close). The descriptor is non-blocking.
class SerialDevice {
public:
    enum class Error { None, NotFound, Busy, NoAccess, Other };

    SerialDevice() = default;
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens the resolved device read/write, exclusive (a second opener fails with Busy),
    // saves its line settings and sets raw 8N1 at the baud rate, no flow control. A rate
    // outside the fixed table is set as a custom rate; a rate the driver refuses (or any
    // line setting it refuses) leaves the port open.
    bool open(const std::string& name, int baud);
    // Restores the saved line settings and closes. Safe when closed.
    void close();
    bool isOpen() const { return fd_ >= 0; }
    Error lastError() const { return error_; }
    const std::string& lastErrorText() const { return errorText_; }
    const std::string& path() const { return path_; }

    // Any rate the driver takes; false when it refuses.
    bool setBaud(int baud);
    // The rate the driver reports (the last one asked for while closed).
    int baud() const { return baud_; }

    // Blocks until at least one byte arrives, `cancel` is set, or timeoutMs passes (-1: no limit).
    // Returns the count read (> 0) as soon as bytes are there; 0 on cancel or time-out;
    // -1 when the port is lost (far end closed, device gone) or closed; the caller must stop
    // reading then. A set `cancel` is not reset by read (use a manual-reset event).
    int read(std::uint8_t* buffer, std::size_t maxBytes, int timeoutMs, Event* cancel = nullptr);
    // Writes the whole buffer (waiting for the line as needed); returns bytes written or -1
    // (error, port lost, or no progress for 5 s).
    int write(const std::uint8_t* buffer, std::size_t count);
    // Bytes waiting in the input queue, 0 when none or closed.
    std::size_t bytesWaiting() const;
    // What waitReadable saw: any mix, 0 on time-out.
    enum WaitFlags : int { Readable = 1, Lost = 2, EventSet = 4 };
    // Waits, without reading, until bytes can be read, the port is lost (far end gone,
    // device gone, or closed), `event` is set, or timeoutMs passes (-1: no limit). A lost
    // port with bytes still queued gives Readable | Lost. The event is not reset.
    int waitReadable(Event* event, int timeoutMs) const;
    // Discards unread input and unsent output.
    void purge();
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    int baud_ = 9600;
    Error error_ = Error::None;
    std::string errorText_;
    std::string path_;
    struct SavedSettings;
    SavedSettings* saved_ = nullptr;
};

} // namespace platform
