// The KR7260 link object: the serial port, its two threads, the receive ring and what
// the parser has learnt from the radio. A never-shown object created at start-up as
// frmSerial. Widget-free: its members are used by the parser thread.
//
// Start-up wiring (once, after both objects exist):
//     frmReadWrite->Attach(frmSerial, &MainForm->RadioImage);
// Signals are emitted from the parser thread; connect them with the default
// (auto) connection or Qt::QueuedConnection so the slot runs on the receiver's thread.
#pragma once

#include "radio_image.h"

#include <platform/event.h>
#include <platform/serial_device.h>

#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TTransferCore;
class serial_thread;
class rs232_processor;

class TfrmSerial : public QObject {
    Q_OBJECT
public:
    static constexpr int RingSize = 101;          // indices 0..100
    static constexpr int MaxReadBytes = 100;      // bytes taken per wake-up
    static constexpr int VersionMaxChars = 19;    // longer version texts are cut to 19
    static constexpr int ProgramModeAckBit = 0x01; // LinkFlags bit 0

    explicit TfrmSerial(QObject* parent = nullptr);
    ~TfrmSerial() override; // closes the port

    // Port 1..4 ("COM1".."COM4"); any other number returns false at once.
    bool OpenPort(int portNumber);
    // Stops and joins both threads, closes the port. True also when not open.
    // Call from the user-interface thread; never waits on it.
    bool ClosePort();
    // Writes one whole frame; bytes written, 0 when the port is not open. Any thread.
    int SendBytes(const std::uint8_t* buffer, int count);
    bool SetBaudRate(int rate);     // 9600 or 19200
    // Empties the ring unless the parser is draining it (then does nothing).
    void ResetReceiveRing();

    // Version text of the last accepted version reply.
    QString GetRadioVersion() const;
    void SetRadioVersion(const QString& text);
    bool ProgramModeAck() const { return (LinkFlags.load() & ProgramModeAckBit) != 0; }

    // A modal box asked for by any thread. From the user-interface thread it is shown
    // at once; from another thread the caller waits until the user-interface thread has
    // shown it, or until ClosePort stops the threads (then IDCANCEL).
    int AskBox(const QString& text, const QString& caption, unsigned flags);

    // Tests: sees every frame SendBytes is asked to send (port open or not). Set it
    // before the threads run.
    using SendTap = std::function<void(const std::vector<std::uint8_t>& frame)>;
    void SetSendTap(SendTap tap) { sendTap_ = std::move(tap); }

    // --- link state (fields of the link object) ---
    platform::SerialDevice Port;
    platform::Event ReceiveEvent{false};       // auto-reset: the parser's one wake-up
    std::atomic<bool> PortOpen{false};
    std::atomic<int> PortNumber{0};            // the port OpenPort was last asked for (1..4)

    // Receive ring. Written only by the parser thread; ResetReceiveRing (any thread) changes
    // the indices only while ParserBusy is clear, under the ring lock.
    std::uint8_t ReceiveRing[RingSize] = {};
    int RingWriteIndex = 0;
    int RingReadIndex = 0;
    std::atomic<bool> ParserBusy{false};

    std::atomic<int> LastReply{0};             // 1, 2, 4, 5, 6, 70, 7 or 71; 0 cleared
    std::atomic<int> LinkFlags{0};             // bit 0 ProgramModeAck

    // The engineering window's single-word exchange (replies 6, 70, 7, 71 while waiting).
    std::atomic<int> WaitingForWord{0};
    std::atomic<int> WordAddress{0};
    std::atomic<int> WordValue{0};
    // Live busy and RSSI levels of the squelch and S-meter window (reply 10 sub-code 6).
    std::atomic<int> BusyLevel{0};
    std::atomic<int> RssiLevel{0};

    std::atomic<TRadioImage*> Image{nullptr};        // the main window's image
    std::atomic<TTransferCore*> Transfer{nullptr};   // the transfer dialog's state

    // Set by ClosePort before joining; ends any wait of the threads.
    platform::Event StopEvent{true};
    // Set by the parser after each read of the port; serial_thread waits for it before
    // it looks for bytes again.
    platform::Event ReadDoneEvent{false};

    std::mutex RingMutex;                      // guards ring stores against ResetReceiveRing

signals:
    void versionChanged(const QString& text);  // main window's lblVersion text
    void sMeterLevel(int subCode, int value);  // sub-code 2: S1 level (txtS0), 3: S9+ (txtS9)
    void liveLevels(int busy, int rssi);       // sub-code 6
    void wordReceived(int address, int value); // engineering single-word reply accepted

private:
    void StopThreads();

    mutable std::mutex versionMutex_;
    QString radioVersion_;
    std::mutex sendMutex_;
    SendTap sendTap_;
    std::unique_ptr<serial_thread> serialThread_;
    std::unique_ptr<rs232_processor> processor_;
};

extern TfrmSerial* frmSerial;

// "There is a problem opening the Com port." ("No port.", exclamation); its details and
// standard error say which device COMn reaches, why it failed and what to do.
void ShowNoPortBox(int portNumber);
