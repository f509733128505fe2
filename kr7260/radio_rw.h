// The transfer dialog of every image transfer, and the KR7260 request builders.
//
// TTransferCore is the widget-free part: the transfer fields and the state of both
// machines, used by the parser thread. TfrmReadWrite is the dialog, a thin view on it.
//
// Starting a transfer (user-interface thread):
//     frmReadWrite->StartAddress = 0; frmReadWrite->EndAddress = 127;
//     frmReadWrite->TransferMode = 1; frmReadWrite->ShowResult = 1;
//     frmReadWrite->exec();
// Start-up wiring, once: frmReadWrite->Attach(frmSerial, &MainForm->RadioImage);
#pragma once

#include "kr72wire.h"

#include <QDialog>
#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>

class TfrmSerial;
class TRadioImage;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// What the machines change on screen. Called from the parser thread; an implementation
// must hand each change to its own thread (the dialog queues them).
class TTransferView {
public:
    virtual ~TTransferView() = default;
    virtual void SetAction(const QString& text) = 0;       // lblAction
    virtual void SetGauge(int percent) = 0;                // gaugeProgress
    virtual void SetCancelCaption(const QString& text) = 0; // btnCancel: "Cancel"/"Close"
    virtual void CloseDialog() = 0;                        // success with ShowResult 0
    virtual void Beep() = 0;
};

class TTransferCore {
public:
    static constexpr int ImageWords = 128;
    static constexpr int Retries = 5;
    using Clock = std::chrono::steady_clock;
    // Each attempt may be answered until this long after its request went out (one tick).
    static constexpr std::chrono::milliseconds DefaultReplyAllowance{500};
    static constexpr Clock::rep NoDeadline = std::numeric_limits<Clock::rep>::min();

    TTransferCore();
    virtual ~TTransferCore(); // stops the link's threads if they still use this state

    // Transfer fields (set by the caller before showing the dialog).
    std::atomic<int> ShowResult{0};     // 1: show the result and wait for "Close"
    std::atomic<int> StartAddress{0};
    std::atomic<int> EndAddress{0};
    std::atomic<int> TransferMode{0};   // 0 idle, 1 read, 2 write
    // Machine state (parser thread).
    std::array<std::atomic<std::int32_t>, ImageWords> ReceiveBuffer;
    std::atomic<int> CurrentAddress{0};
    // End of the reply allowance of the request in flight (Clock ticks since its epoch).
    std::atomic<Clock::rep> ReplyDeadline{NoDeadline};
    std::atomic<int> RetriesLeft{0};
    std::atomic<int> WriteState{0};
    std::atomic<int> ReadState{0};
    // True once a machine has ended (btnCancel reads "Close").
    std::atomic<bool> Finished{false};
    // Cancel pressed while a transfer ran: the machine turns it into state 46 on its
    // next step, so a step in progress cannot overwrite it.
    std::atomic<bool> CancelRequested{false};

    // The clock of the reply allowance; tests set their own before a transfer runs.
    std::function<Clock::time_point()> Now = [] { return Clock::now(); };
    // Set before the link's threads start (tests that count requests widen it).
    std::chrono::milliseconds ReplyAllowance = DefaultReplyAllowance;

    TfrmSerial* Link = nullptr;   // falls back to frmSerial when not set
    TRadioImage* Image = nullptr;
    TTransferView* View = nullptr;
    // Joins this state, the link and the image (start-up).
    void Attach(TfrmSerial* link, TRadioImage* image);

    // Request builders: build one frame and send it through the link (result unused).
    void SendEnterProgramMode();              // also clears ProgramModeAck
    void SendVersionRequest();
    void SendExitProgramMode();
    void SendReadBlock(int address);
    void SendWriteBlock(int address);         // image words a+7 down to a (bits 0..15)
    void SendReadWord(int address);
    void SendWriteWord(int address, int value);
    void SendReadSignalStrength();            // LiveValue sub-code 6
    void SendSetSMeterS1();                   // sub-code 2
    void SendSetSMeterS9();                   // sub-code 3

    // True while either machine is between its start and its end (it owns the image).
    bool Running() const { return ReadState.load() != kr72state::Idle || WriteState.load() != kr72state::Idle; }
    // True when the link's port is open, so a transfer can make progress.
    bool PortReady() const;

    // A request has just gone out: its reply has ReplyAllowance from now.
    void StartReplyWait();
    // True while the request in flight may still be answered.
    bool ReplyTimeLeft() const;

    // The dialog's handlers without the widgets: the start of a transfer (FormShow),
    // one timer tick (wakes the parser, which then looks at the allowance), and the
    // Cancel/Close button.
    void StartTransfer();
    void TimerTick();
    void CancelPressed();

    TfrmSerial* link() const;
    void WakeParser();                        // signal the link's ReceiveEvent

    // Frame builders (exact bytes), shared with the tests and the simulator's users.
    static std::uint8_t Checksum(const std::uint8_t* payload, int count);
    static std::array<std::uint8_t, kr72wire::ShortFrameLength> BuildShortFrame(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                                                       std::uint8_t b3, std::uint8_t command);
    static std::array<std::uint8_t, kr72wire::BlockFrameLength> BuildWriteBlockFrame(int address, const std::int32_t words[8]);

protected:
    void Detach();

private:
    void Send(const std::uint8_t* frame, int count);
};

class TfrmReadWrite : public QDialog, public TTransferCore, private TTransferView {
    Q_OBJECT
public:
    explicit TfrmReadWrite(QWidget* parent = nullptr);
    ~TfrmReadWrite() override;

    // Handlers.
    void FormShow();
    void timer_rwTimer();
    void btnCancelClick();

    QPushButton* btnCancel = nullptr;
    QLabel* lblAction = nullptr;
    QProgressBar* gaugeProgress = nullptr;
    QTimer* timer_rw = nullptr;

    void reject() override; // Esc acts as the Cancel button
    // A read or write asked for while the port is closed ends at once with the "No port."
    // box (result 2) and the dialog is not shown; otherwise the dialog runs the transfer.
    int exec() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetAction(const QString& text) override;
    void SetGauge(int percent) override;
    void SetCancelCaption(const QString& text) override;
    void CloseDialog() override;
    void Beep() override;

    struct Form;
    Form* ui_ = nullptr;
};

extern TfrmReadWrite* frmReadWrite;
