#include "rs232.h"

#include "kr72wire.h"
#include "radio_get.h"
#include "radio_rw.h"
#include "ser_com.h"

#include <platform/event.h>

#include <QByteArray>
#include <algorithm>

using namespace kr72wire;

namespace {
inline int advance(int pos) { return pos == TfrmSerial::RingSize - 1 ? 0 : pos + 1; }
// A frame must fit in the ring to be checked at all.
constexpr int MaxFrameLength = TfrmSerial::RingSize;
} // namespace

rs232_processor::rs232_processor(TfrmSerial& link)
    : link_(link)
{
}

rs232_processor::~rs232_processor()
{
    Join();
}

void rs232_processor::Start()
{
    thread_ = std::thread([this] { Execute(); });
}

void rs232_processor::Join()
{
    if (thread_.joinable())
        thread_.join();
}

void rs232_processor::Execute()
{
    for (;;) {
        platform::WaitForAny({&link_.ReceiveEvent, &link_.StopEvent}, -1);
        if (link_.StopEvent.isSet())
            return;
        Wake();
        if (link_.StopEvent.isSet())
            return;
    }
}

void rs232_processor::Wake()
{
    std::uint8_t buffer[TfrmSerial::MaxReadBytes];
    int n = 0;
    if (!portLost_ && link_.Port.isOpen()) {
        n = link_.Port.read(buffer, sizeof buffer, 0);
        if (n < 0) {
            portLost_ = true; // far end gone: only the timer ticks drive the machines now
            n = 0;
        }
    }
    link_.ReadDoneEvent.set();
    if (n > 0)
        Receive(buffer, n);
    RunMachineStep();
}

void rs232_processor::Receive(const std::uint8_t* data, int count)
{
    {
        std::lock_guard lock(link_.RingMutex);
        link_.ParserBusy = true;
    }
    // Each byte is examined as soon as it is stored, so the ring always holds the 101
    // bytes that end at the byte being examined.
    for (int i = 0; i < count; ++i) {
        link_.ReceiveRing[link_.RingWriteIndex] = data[i];
        link_.RingWriteIndex = advance(link_.RingWriteIndex);
        while (link_.RingReadIndex != link_.RingWriteIndex) {
            const int pos = link_.RingReadIndex;
            const std::uint8_t b = link_.ReceiveRing[pos];
            link_.RingReadIndex = advance(pos);
            if (b == Terminator)
                ParseFrameAt(pos);
        }
    }
    {
        std::lock_guard lock(link_.RingMutex);
        link_.ParserBusy = false;
    }
}

bool rs232_processor::ChecksumValid(int checksumPos, int frameLength) const
{
    const std::uint8_t checksum = link_.ReceiveRing[checksumPos];
    unsigned sum = 0;
    int pos = checksumPos;
    for (int i = 0; i < frameLength - 3; ++i) {
        pos = StepBack(pos);
        sum += link_.ReceiveRing[pos];
    }
    return ChecksumOf(sum) == checksum;
}

void rs232_processor::ParseFrameAt(int terminatorPos)
{
    const std::uint8_t* ring = link_.ReceiveRing;
    ParsePos = StepBack(terminatorPos);
    const int command = ring[ParsePos];
    ParsePos = StepBack(ParsePos);
    const int checksumPos = ParsePos;
    ParsePos = StepBack(ParsePos); // last payload byte

    auto take = [&]() {
        const std::uint8_t b = ring[ParsePos];
        ParsePos = StepBack(ParsePos);
        return b;
    };
    TTransferCore* transfer = link_.Transfer;
    const int currentAddress = transfer ? transfer->CurrentAddress.load() : -1;

    switch (command) {
    case EnterProgramMode:
        if (!ChecksumValid(checksumPos, ShortFrameLength))
            return;
        link_.LastReply = EnterProgramMode;
        link_.LinkFlags |= TfrmSerial::ProgramModeAckBit;
        return;

    case Version: {
        const int n = ring[ParsePos];
        if (n == 0 || n + 4 > MaxFrameLength)
            return;
        if (!ChecksumValid(checksumPos, n + 4))
            return;
        take(); // the length byte
        QByteArray chars(n, '\0');
        for (int i = n - 1; i >= 0; --i)
            chars[i] = char(take());
        // The text ends at a zero byte and holds at most 19 characters.
        const int zero = chars.indexOf('\0');
        if (zero >= 0)
            chars.truncate(zero);
        chars.truncate(TfrmSerial::VersionMaxChars);
        link_.SetRadioVersion(QString::fromLatin1(chars));
        link_.LastReply = Version;
        return;
    }

    case ReadBlock: {
        if (!ChecksumValid(checksumPos, BlockFrameLength))
            return;
        const int aHigh = take();
        const int aLow = take();
        const int a = aLow | (aHigh << 8);
        if (a != currentAddress || !transfer)
            return;
        for (int i = 0; i < BlockWords; ++i) {
            const int high = take();
            const int low = take();
            if (a + i < TTransferCore::ImageWords)
                transfer->ReceiveBuffer[a + i] = low | (high << 8);
        }
        link_.LastReply = ReadBlock;
        return;
    }

    case WriteBlock:
        if (!ChecksumValid(checksumPos, ShortFrameLength))
            return;
        link_.LastReply = WriteBlock;
        return;

    case ReadWord:
    case ReadWordAlt:
    case WriteWord:
    case WriteWordAlt: {
        if (!ChecksumValid(checksumPos, ShortFrameLength))
            return;
        const int aHigh = take();
        const int aLow = take();
        const int vHigh = take();
        const int vLow = take();
        const int a = aLow | (aHigh << 8);
        const int v = vLow | (vHigh << 8);
        if (link_.WaitingForWord.load() == 1) {
            if (a == link_.WordAddress.load()) {
                link_.WordValue = v;
                link_.WaitingForWord = 0;
                emit link_.wordReceived(a, v);
            }
            return;
        }
        if (command == ReadWord || command == ReadWordAlt) {
            if (a != currentAddress || !transfer || a < 0 || a >= TTransferCore::ImageWords)
                return;
            transfer->ReceiveBuffer[a] = v;
        }
        link_.LastReply = command;
        return;
    }

    case LiveValue: {
        if (!ChecksumValid(checksumPos, ShortFrameLength))
            return;
        take(); // the spare byte, only summed
        const int sub = take();
        const int b1 = take();
        const int b0 = take();
        // A running transfer owns the image: a level arriving meanwhile stays out of it.
        TRadioImage* image = transfer && transfer->Running() ? nullptr : link_.Image.load();
        if (sub == LiveSetS1) {
            if (image)
                image->ModifyLive(kr72map::WordSMeter, ~std::int32_t(0xFF00), std::int32_t(b0) << 8);
            emit link_.sMeterLevel(LiveSetS1, b0);
        } else if (sub == LiveSetS9) {
            if (image)
                image->ModifyLive(kr72map::WordSMeter, ~std::int32_t(0x00FF), std::int32_t(b0));
            emit link_.sMeterLevel(LiveSetS9, b0);
        } else if (sub == LiveBusyRssi) {
            link_.BusyLevel = b0;
            link_.RssiLevel = b1;
            emit link_.liveLevels(b0, b1);
        }
        return;
    }

    default:
        return;
    }
}

void rs232_processor::RunMachineStep()
{
    TTransferCore* t = link_.Transfer;
    if (!t)
        return;
    auto pendingEnd = [](int s) { return s == kr72state::Failed || s == kr72state::Cancelled; };
    const int mode = t->TransferMode.load();
    // A machine that still has to leave program mode does so even after "Close" set
    // the mode back to 0.
    if (mode != kr72state::TransferRead && pendingEnd(t->ReadState.load()))
        ReadRadioStep(*t);
    if (mode != kr72state::TransferWrite && pendingEnd(t->WriteState.load()))
        WriteRadioStep(*t);
    if (mode == kr72state::TransferRead)
        ReadRadioStep(*t);
    else if (mode == kr72state::TransferWrite)
        WriteRadioStep(*t);
}
