#include "radio_rw.h"

#include "kr72wire.h"
#include "link_refs.h"
#include "radio_image.h"
#include "ser_com.h"
#include "ui_radio_rw.h"

#include <platform/misc.h>

#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>

TfrmReadWrite* frmReadWrite = nullptr;

namespace {
constexpr int mrCancel = 2; // the dialog's result however a transfer ends
} // namespace

// ---------------------------------------------------------------- TTransferCore

TTransferCore::TTransferCore()
{
    for (auto& w : ReceiveBuffer)
        w = 0;
}

TTransferCore::~TTransferCore()
{
    Detach();
}

TfrmSerial* TLinkRefs::link() const { return Link ? Link : frmSerial; }

TfrmReadWrite* TLinkRefs::transfers() const { return Transfers ? Transfers : frmReadWrite; }

void TTransferCore::Attach(TfrmSerial* link, TRadioImage* image)
{
    Link = link;
    Image = image;
    if (link) {
        link->Image = image;
        link->Transfer = this;
    }
}

void TTransferCore::Detach()
{
    TfrmSerial* l = Link;
    if (l && l->Transfer.load() == this) {
        l->ClosePort(); // the parser thread must not outlive this state
        l->Transfer = nullptr;
    }
}

TfrmSerial* TTransferCore::link() const
{
    return Link ? Link : frmSerial;
}

void TTransferCore::WakeParser()
{
    if (TfrmSerial* l = link())
        l->ReceiveEvent.set();
}

std::uint8_t TTransferCore::Checksum(const std::uint8_t* payload, int count)
{
    unsigned sum = 0;
    for (int i = 0; i < count; ++i)
        sum += payload[i];
    return kr72wire::ChecksumOf(sum);
}

std::array<std::uint8_t, kr72wire::ShortFrameLength> TTransferCore::BuildShortFrame(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2,
                                                           std::uint8_t b3, std::uint8_t command)
{
    std::array<std::uint8_t, kr72wire::ShortFrameLength> f{b0, b1, b2, b3, 0, command, kr72wire::Terminator};
    f[4] = Checksum(f.data(), 4);
    return f;
}

std::array<std::uint8_t, kr72wire::BlockFrameLength> TTransferCore::BuildWriteBlockFrame(int address, const std::int32_t words[8])
{
    std::array<std::uint8_t, kr72wire::BlockFrameLength> f{};
    // Words a+7 down to a, each low byte then high byte; only bits 0..15 go out.
    for (int i = 0; i < 8; ++i) {
        const std::int32_t w = words[7 - i];
        f[2 * i] = std::uint8_t(w & 0xFF);
        f[2 * i + 1] = std::uint8_t((w >> 8) & 0xFF);
    }
    f[16] = std::uint8_t(address & 0xFF);
    f[17] = std::uint8_t((address >> 8) & 0xFF);
    f[18] = Checksum(f.data(), 18);
    f[19] = kr72wire::WriteBlock;
    f[kr72wire::BlockFrameLength - 1] = kr72wire::Terminator;
    return f;
}

void TTransferCore::Send(const std::uint8_t* frame, int count)
{
    if (TfrmSerial* l = link())
        l->SendBytes(frame, count);
}

void TTransferCore::SendEnterProgramMode()
{
    if (TfrmSerial* l = link())
        l->LinkFlags &= ~TfrmSerial::ProgramModeAckBit;
    const auto f = BuildShortFrame(0, 0, 0, 0, kr72wire::EnterProgramMode);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendVersionRequest()
{
    const auto f = BuildShortFrame(0, 0, 0, 0, kr72wire::Version);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendExitProgramMode()
{
    const auto f = BuildShortFrame(0, 0, 0, 0, kr72wire::ExitProgramMode);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendReadBlock(int address)
{
    const auto f = BuildShortFrame(0, 0, std::uint8_t(address & 0xFF), std::uint8_t((address >> 8) & 0xFF),
                                   kr72wire::ReadBlock);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendWriteBlock(int address)
{
    // A block holds eight image words; one that would reach past word 127 is not sent.
    if (address < 0 || address > ImageWords - 8)
        return;
    std::int32_t words[8] = {};
    if (Image) {
        const TRadioImage::Words all = Image->Snapshot();
        for (int i = 0; i < 8; ++i)
            words[i] = all[address + i];
    }
    const auto f = BuildWriteBlockFrame(address, words);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendReadWord(int address)
{
    const auto f = BuildShortFrame(0, 0, std::uint8_t(address & 0xFF), std::uint8_t((address >> 8) & 0xFF),
                                   kr72wire::ReadWord);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendWriteWord(int address, int value)
{
    const auto f = BuildShortFrame(std::uint8_t(value & 0xFF), std::uint8_t((value >> 8) & 0xFF),
                                   std::uint8_t(address & 0xFF), std::uint8_t((address >> 8) & 0xFF),
                                   kr72wire::WriteWord);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendReadSignalStrength()
{
    const auto f = BuildShortFrame(0, 0, kr72wire::LiveBusyRssi, 0, kr72wire::LiveValue);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendSetSMeterS1()
{
    const auto f = BuildShortFrame(0, 0, kr72wire::LiveSetS1, 0, kr72wire::LiveValue);
    Send(f.data(), int(f.size()));
}

void TTransferCore::SendSetSMeterS9()
{
    const auto f = BuildShortFrame(0, 0, kr72wire::LiveSetS9, 0, kr72wire::LiveValue);
    Send(f.data(), int(f.size()));
}

void TTransferCore::StartTransfer()
{
    const int mode = TransferMode.load();
    Finished = false;
    CancelRequested = false;
    if (mode == kr72state::TransferRead)
        ReadState = kr72state::Start;
    else if (mode == kr72state::TransferWrite)
        WriteState = kr72state::Start;
    ReplyDeadline = NoDeadline;
    RetriesLeft = 0;
    if (mode == kr72state::TransferRead || mode == kr72state::TransferWrite)
        WakeParser();
}

void TTransferCore::TimerTick()
{
    WakeParser();
}

void TTransferCore::StartReplyWait()
{
    ReplyDeadline = (Now() + ReplyAllowance).time_since_epoch().count();
}

bool TTransferCore::ReplyTimeLeft() const
{
    return Now().time_since_epoch().count() < ReplyDeadline.load();
}

bool TTransferCore::PortReady() const
{
    const TfrmSerial* l = link();
    return l && l->PortOpen.load();
}

void TTransferCore::CancelPressed()
{
    if (!Finished.load()) {
        CancelRequested = true;
        WakeParser();
    } else {
        TransferMode = kr72state::TransferIdle;
    }
}

// ---------------------------------------------------------------- TfrmReadWrite

struct TfrmReadWrite::Form : public Ui::frmReadWrite {};

TfrmReadWrite::TfrmReadWrite(QWidget* parent)
    : QDialog(parent)
    , ui_(new Form)
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    btnCancel = ui_->btnCancel;
    lblAction = ui_->lblAction;
    gaugeProgress = ui_->gaugeProgress;
    View = this;

    timer_rw = new QTimer(this);
    timer_rw->setObjectName(QStringLiteral("timer_rw"));
    timer_rw->setInterval(500);
    connect(timer_rw, &QTimer::timeout, this, &TfrmReadWrite::timer_rwTimer);
    timer_rw->start();

    connect(btnCancel, &QPushButton::clicked, this, [this] {
        btnCancelClick();
        done(mrCancel);
    });
}

TfrmReadWrite::~TfrmReadWrite()
{
    timer_rw->stop();
    Detach(); // before the view goes
    if (frmReadWrite == this)
        frmReadWrite = nullptr;
    delete ui_;
}

void TfrmReadWrite::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

int TfrmReadWrite::exec()
{
    const int mode = TransferMode.load();
    if ((mode == kr72state::TransferRead || mode == kr72state::TransferWrite) && !PortReady()) {
        // No parser thread runs to take a step: the transfer ends before it starts.
        TransferMode = kr72state::TransferIdle;
        const TfrmSerial* l = link();
        ShowNoPortBox(l ? l->PortNumber.load() : 0);
        setResult(mrCancel);
        return mrCancel;
    }
    return QDialog::exec();
}

void TfrmReadWrite::FormShow()
{
    btnCancel->setText(QStringLiteral("Cancel"));
    const int mode = TransferMode.load();
    if (mode == kr72state::TransferRead) {
        setWindowTitle(QStringLiteral("Reading from radio"));
        gaugeProgress->setValue(0);
        lblAction->setText(QStringLiteral("Reading data from radio."));
    } else if (mode == kr72state::TransferWrite) {
        setWindowTitle(QStringLiteral("Writing to radio"));
        gaugeProgress->setValue(0);
        lblAction->setText(QStringLiteral("Writing data to radio."));
    }
    StartTransfer();
}

void TfrmReadWrite::timer_rwTimer()
{
    TimerTick();
}

void TfrmReadWrite::btnCancelClick()
{
    CancelPressed();
}

void TfrmReadWrite::reject()
{
    // Esc works as the button does, so a running transfer is never left behind.
    btnCancelClick();
    done(mrCancel);
}

void TfrmReadWrite::SetAction(const QString& text)
{
    QMetaObject::invokeMethod(this, [this, text] { lblAction->setText(text); }, Qt::QueuedConnection);
}

void TfrmReadWrite::SetGauge(int percent)
{
    const int p = std::clamp(percent, 0, 100);
    QMetaObject::invokeMethod(this, [this, p] { gaugeProgress->setValue(p); }, Qt::QueuedConnection);
}

void TfrmReadWrite::SetCancelCaption(const QString& text)
{
    QMetaObject::invokeMethod(this, [this, text] { btnCancel->setText(text); }, Qt::QueuedConnection);
}

void TfrmReadWrite::CloseDialog()
{
    QMetaObject::invokeMethod(this, [this] {
        if (isVisible())
            done(mrCancel);
    }, Qt::QueuedConnection);
}

void TfrmReadWrite::Beep()
{
    QMetaObject::invokeMethod(this, [] { platform::Beep(); }, Qt::QueuedConnection);
}
