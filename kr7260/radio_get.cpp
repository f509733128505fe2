#include "radio_get.h"

#include "kr72wire.h"
#include "radio_image.h"
#include "radio_rw.h"
#include "ser_com.h"

#include <platform/msgbox.h>

#include <algorithm>

namespace {

using namespace kr72state;

constexpr int LastBlockStart = TTransferCore::ImageWords - kr72wire::BlockWords; // 120: a block ends at word 127

const char* const WriteModeFail = "Failed while trying to get radio into write program mode.";
const char* const ReadModeFail = "Failed while trying to get radio into read program mode.";
const char* const VersionFail = "Failed while trying to read radio version.";
const char* const ReadBeforeWriteFail = "Failed while trying to read data before a write.";
const char* const WriteFail = "Failed while trying to write data to the radio.";
const char* const VerifyFail = "Failed while trying to verify last data write to radio.";
const char* const ReadFail = "Failed while trying to read data from the radio.";

// The screen side of a step; every call is a no-op without a view or link.
struct Screen {
    TTransferCore& t;
    void action(const QString& s) { if (t.View) t.View->SetAction(s); }
    void gauge(int p) { if (t.View) t.View->SetGauge(p); }
    void beep() { if (t.View) t.View->Beep(); }
    void close() { if (t.View) t.View->SetCancelCaption(QStringLiteral("Close")); t.Finished = true; }
    void version(const QString& s) { if (TfrmSerial* l = t.link()) emit l->versionChanged(s); }
};

int lastWord(const TTransferCore& t) { return std::min(t.EndAddress.load(), TTransferCore::ImageWords - 1); }

// Percentage as the dialog shows it: unsigned division, never by zero.
int percent(int numerator, int endAddress)
{
    const unsigned den = unsigned(std::max(endAddress + 1, 1));
    return int(unsigned(std::max(numerator, 0)) * 100u / den);
}

// The wait rule. True: the reply has arrived, go on. False: the step returns.
bool waitFor(TTransferCore& t, std::atomic<int>& state, bool arrived, int sendState, const char* failText)
{
    if (arrived)
        return true;
    if (t.ReplyTimeLeft())
        return false;
    if (t.RetriesLeft.load() != 0) {
        --t.RetriesLeft;
        state = sendState;
        return false;
    }
    state = Failed;
    Screen s{t};
    s.beep();
    s.close();
    s.action(QString::fromLatin1(failText));
    t.WakeParser(); // leave program mode at once
    return false;
}

// The block in progress never reaches past word 127.
int blockAddress(TTransferCore& t)
{
    int a = std::clamp(t.CurrentAddress.load(), 0, LastBlockStart);
    t.CurrentAddress = a;
    return a;
}

bool blockMatches(TTransferCore& t)
{
    const int a = t.CurrentAddress.load();
    for (int i = 0; i < kr72wire::BlockWords; ++i) {
        const int k = a + i;
        if (k >= TTransferCore::ImageWords)
            return false;
        const std::int32_t image = t.Image ? t.Image->Get(k) : 0;
        if (t.ReceiveBuffer[k].load() != image)
            return false;
    }
    return true;
}

void sendEnterTwice(TTransferCore& t)
{
    if (TfrmSerial* l = t.link())
        l->ResetReceiveRing();
    t.SendEnterProgramMode();
    t.SendEnterProgramMode();
    t.StartReplyWait();
}

void resetRing(TTransferCore& t)
{
    if (TfrmSerial* l = t.link())
        l->ResetReceiveRing();
}

void setLastReply(TTransferCore& t, int v)
{
    if (TfrmSerial* l = t.link())
        l->LastReply = v;
}

int lastReply(TTransferCore& t)
{
    TfrmSerial* l = t.link();
    return l ? l->LastReply.load() : 0;
}

bool programModeAck(TTransferCore& t)
{
    TfrmSerial* l = t.link();
    return l && l->ProgramModeAck();
}

QString radioVersion(TTransferCore& t)
{
    TfrmSerial* l = t.link();
    return l ? l->GetRadioVersion() : QString();
}

void clearVersion(TTransferCore& t)
{
    if (TfrmSerial* l = t.link())
        l->SetRadioVersion(QString());
    Screen{t}.version(QStringLiteral("-"));
}

int askBox(TTransferCore& t, const QString& text, const QString& caption, unsigned flags)
{
    if (TfrmSerial* l = t.link())
        return l->AskBox(text, caption, flags);
    return platform::MessageBox(text, caption, flags);
}

// False when the version is rejected (the machine then ends as failed).
bool versionAccepted(TTransferCore& t, std::atomic<int>& state)
{
    const QString v = radioVersion(t);
    const QString first7 = v.left(7);
    QString box;
    if (first7 == QLatin1String("KR7260a") || first7 == QLatin1String("KR7260b")
        || first7 == QLatin1String("KR7260c"))
        box = QStringLiteral("Invalid radio version!\nPlease ensure correct version\n"
                             "of dealer software is being used.\n(wants V0.0d of higher)");
    else if (v.left(6) != QLatin1String("KR7260"))
        box = QStringLiteral("Unknown radio type!\nPlease ensure correct version\n"
                             "of dealer software is being used.\n(wants V0.0b of higher)");
    else
        return true;
    state = Failed;
    Screen s{t};
    s.beep();
    s.close();
    s.action(QStringLiteral("Incorrect radio version.") + v);
    askBox(t, box, QStringLiteral("Wrong version..."), platform::MB_ICONEXCLAMATION);
    t.WakeParser();
    return false;
}

void endAfterFailureOrCancel(TTransferCore& t, std::atomic<int>& state)
{
    Screen{t}.gauge(0);
    t.SendExitProgramMode();
    state = Idle;
}

void finishSuccess(TTransferCore& t, std::atomic<int>& state, const char* resultText)
{
    Screen s{t};
    s.gauge(100);
    t.SendExitProgramMode();
    s.beep();
    s.close();
    if (t.ShowResult.load() == 1) {
        s.action(QString::fromLatin1(resultText));
    } else {
        t.TransferMode = TransferIdle;
        if (t.View)
            t.View->CloseDialog();
    }
    state = Idle;
}

void takeCancel(TTransferCore& t, std::atomic<int>& state)
{
    if (t.CancelRequested.exchange(false) && state.load() != Idle)
        state = Cancelled;
}

// The first step of either machine.
void beginAtStartAddress(TTransferCore& t)
{
    t.CurrentAddress = std::max(t.StartAddress.load(), 0);
    Screen{t}.version(QStringLiteral("-"));
}

void sendVersionRequest(TTransferCore& t)
{
    resetRing(t);
    t.SendVersionRequest();
    t.StartReplyWait();
}

// The wait for the version reply (resent from sendState); shows the version once it has arrived.
bool versionArrived(TTransferCore& t, std::atomic<int>& state, int sendState)
{
    if (!waitFor(t, state, lastReply(t) == kr72wire::Version, sendState, VersionFail))
        return false;
    Screen{t}.version(QStringLiteral("Radio version ") + radioVersion(t));
    return true;
}

// Asks for the block in progress.
void sendBlockRead(TTransferCore& t)
{
    setLastReply(t, 0);
    resetRing(t);
    t.SendReadBlock(blockAddress(t));
    t.StartReplyWait();
}

} // namespace

void WriteRadioStep(TTransferCore& t)
{
    std::atomic<int>& state = t.WriteState;
    takeCancel(t, state);
    for (;;) {
        switch (state.load()) {
        case Start:
            beginAtStartAddress(t);
            state = 2;
            break;
        case 2:
            t.RetriesLeft = TTransferCore::Retries;
            state = 3;
            break;
        case 3:
            sendEnterTwice(t);
            state = 4;
            return;
        case 4:
            if (!waitFor(t, state, programModeAck(t), 3, WriteModeFail))
                return;
            state = 5;
            break;
        case 5:
            t.RetriesLeft = TTransferCore::Retries;
            clearVersion(t);
            setLastReply(t, 0);
            state = 6;
            break;
        case 6:
            sendVersionRequest(t);
            state = 7;
            return;
        case WriteVersionWait:
            if (!versionArrived(t, state, 6))
                return;
            if (!versionAccepted(t, state))
                return;
            state = 8;
            break;
        case 8:
            t.RetriesLeft = TTransferCore::Retries;
            state = 9;
            break;
        case 9:
            sendBlockRead(t);
            state = 10;
            return;
        case 10:
            if (!waitFor(t, state, lastReply(t) == kr72wire::ReadBlock, 9, ReadBeforeWriteFail))
                return;
            state = 11;
            break;
        case 11:
            if (blockMatches(t)) {
                state = BlockDone;
                t.WakeParser();
                return;
            }
            state = 13;
            break;
        case 13:
            t.RetriesLeft = TTransferCore::Retries;
            state = 14;
            break;
        case 14:
            setLastReply(t, 0);
            resetRing(t);
            t.SendWriteBlock(blockAddress(t));
            t.StartReplyWait();
            state = 15;
            return;
        case 15:
            if (!waitFor(t, state, (lastReply(t) & kr72wire::WriteAckBits) != 0, 14, WriteFail))
                return;
            state = 16;
            break;
        case 16:
            t.RetriesLeft = TTransferCore::Retries;
            state = 17;
            break;
        case 17:
            sendBlockRead(t);
            state = 18;
            return;
        case 18:
            if (!waitFor(t, state, lastReply(t) == kr72wire::ReadBlock, 17, VerifyFail))
                return;
            state = 19;
            break;
        case 19:
            if (blockMatches(t)) {
                state = BlockDone;
                t.WakeParser(); // the next block starts at once
                return;
            }
            {
                Screen s{t};
                s.beep();
                s.close();
                s.action(QString::fromLatin1(VerifyFail));
            }
            state = Failed;
            t.WakeParser();
            return;
        case BlockDone: {
            const int a = t.CurrentAddress.load();
            Screen{t}.gauge(percent(a, t.EndAddress.load()));
            // Word by word below 8, then block by block.
            const int next = a + (a < 8 ? 1 : kr72wire::BlockWords);
            t.CurrentAddress = next;
            if (next <= lastWord(t)) {
                state = 8;
                t.WakeParser();
                return;
            }
            finishSuccess(t, state, "Data successfully written to radio!");
            return;
        }
        case Failed:
        case Cancelled:
            endAfterFailureOrCancel(t, state);
            return;
        default:
            return;
        }
    }
}

void ReadRadioStep(TTransferCore& t)
{
    std::atomic<int>& state = t.ReadState;
    takeCancel(t, state);
    for (;;) {
        switch (state.load()) {
        case Start:
            beginAtStartAddress(t);
            state = 2;
            break;
        case 2:
            t.RetriesLeft = TTransferCore::Retries;
            state = 3;
            break;
        case 3:
            sendEnterTwice(t);
            state = 4;
            return;
        case 4:
            if (!waitFor(t, state, programModeAck(t), 3, ReadModeFail))
                return;
            state = 5;
            break;
        case 5:
            t.RetriesLeft = TTransferCore::Retries;
            state = 6;
            break;
        case 6:
            clearVersion(t);
            setLastReply(t, 0);
            sendVersionRequest(t);
            state = 7;
            return;
        case 7:
            if (!versionArrived(t, state, 6))
                return;
            state = 8;
            break;
        case 8:
            t.RetriesLeft = TTransferCore::Retries;
            state = 9;
            break;
        case 9:
            sendBlockRead(t);
            state = 10;
            return;
        case 10:
            if (!waitFor(t, state, lastReply(t) == kr72wire::ReadBlock, 9, ReadFail))
                return;
            state = BlockDone;
            break;
        case BlockDone: {
            const int a = t.CurrentAddress.load();
            const int start = t.StartAddress.load();
            Screen{t}.gauge(percent(a + start, t.EndAddress.load()));
            const int next = a + kr72wire::BlockWords;
            t.CurrentAddress = next;
            if (next <= lastWord(t)) {
                state = 8;
                t.WakeParser();
                return;
            }
            if (t.Image) {
                const int last = lastWord(t);
                for (int k = std::max(start, 0); k <= last; ++k)
                    t.Image->Set(k, t.ReceiveBuffer[k].load());
            }
            finishSuccess(t, state, "Data successfully read from radio!");
            return;
        }
        case Failed:
        case Cancelled:
            endAfterFailureOrCancel(t, state);
            return;
        default:
            return;
        }
    }
}

void ReadRadioStep()
{
    if (frmReadWrite)
        ReadRadioStep(*frmReadWrite);
}

void WriteRadioStep()
{
    if (frmReadWrite)
        WriteRadioStep(*frmReadWrite);
}
