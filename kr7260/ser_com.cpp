#include "ser_com.h"

#include "rs232.h"
#include "radio_rw.h"
#include "rs232_com.h"

#include <platform/msgbox.h>
#include <platform/serial_device.h>

#include <cstdio>
#include <string>

TfrmSerial* frmSerial = nullptr;

TfrmSerial::TfrmSerial(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("frmSerial"));
}

TfrmSerial::~TfrmSerial()
{
    ClosePort();
    if (TTransferCore* t = Transfer.load(); t && t->Link == this)
        t->Link = nullptr;
    if (frmSerial == this)
        frmSerial = nullptr;
}

bool TfrmSerial::OpenPort(int portNumber)
{
    if (portNumber < 1 || portNumber > 4)
        return false;
    PortNumber = portNumber;
    if (PortOpen)
        ClosePort();
    const std::string name = "COM" + std::to_string(portNumber);
    if (!Port.open(name, 9600))
        return false;
    SetBaudRate(9600);
    {
        std::lock_guard lock(RingMutex);
        RingWriteIndex = RingReadIndex = 0;
    }
    StopEvent.reset();
    ReadDoneEvent.reset();
    ReceiveEvent.reset();
    serialThread_ = std::make_unique<serial_thread>(*this);
    processor_ = std::make_unique<rs232_processor>(*this);
    serialThread_->Start();
    PortOpen = true;
    processor_->Start();
    return PortOpen;
}

void TfrmSerial::StopThreads()
{
    StopEvent.set();
    ReceiveEvent.set();
    if (serialThread_)
        serialThread_->Join();
    if (processor_)
        processor_->Join();
    serialThread_.reset();
    processor_.reset();
}

bool TfrmSerial::ClosePort()
{
    if (!PortOpen && !serialThread_ && !processor_)
        return true;
    StopThreads();
    {
        // No purge: a request written just before (a cancel's exit) still goes out.
        std::lock_guard lock(sendMutex_);
        Port.close();
    }
    PortOpen = false;
    return true;
}

int TfrmSerial::SendBytes(const std::uint8_t* buffer, int count)
{
    if (!buffer || count <= 0)
        return 0;
    std::lock_guard lock(sendMutex_);
    if (sendTap_)
        sendTap_(std::vector<std::uint8_t>(buffer, buffer + count));
    if (!PortOpen || !Port.isOpen())
        return 0;
    const int n = Port.write(buffer, std::size_t(count));
    return n < 0 ? 0 : n;
}

bool TfrmSerial::SetBaudRate(int rate)
{
    if (rate != 9600 && rate != 19200)
        return false;
    std::lock_guard lock(sendMutex_);
    if (Port.isOpen())
        Port.setBaud(rate);
    return true;
}

void TfrmSerial::ResetReceiveRing()
{
    std::lock_guard lock(RingMutex);
    if (ParserBusy)
        return;
    RingWriteIndex = 0;
    RingReadIndex = 0;
}

QString TfrmSerial::GetRadioVersion() const
{
    std::lock_guard lock(versionMutex_);
    return radioVersion_;
}

void TfrmSerial::SetRadioVersion(const QString& text)
{
    std::lock_guard lock(versionMutex_);
    radioVersion_ = text;
}

int TfrmSerial::AskBox(const QString& text, const QString& caption, unsigned flags)
{
    // ClosePort sets StopEvent before it joins, so closing the port during the box
    // cannot deadlock.
    return platform::MessageBoxUnlessStopped(text, caption, flags, StopEvent);
}

void ShowNoPortBox(int portNumber)
{
    const std::string name = "COM" + std::to_string(portNumber);
    const QString why = QString::fromStdString(platform::PortOpenFailure(name));
    if (!why.isEmpty())
        std::fprintf(stderr, "There is a problem opening %s: %s\n", name.c_str(), qPrintable(QString(why).replace('\n', ' ')));
    platform::MessageBox("There is a problem opening the Com port.", "No port.", platform::MB_ICONEXCLAMATION, why);
}
