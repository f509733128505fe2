#include "radio.h"

#include "eeprom.h"
#include "monitor.h"
#include "serialport.h"
#include "wire.h"

#include <cstdio>
#include <cstring>

KR5100* radioCmd = nullptr;

namespace {

constexpr int NormalReplyTimeout = 500;
constexpr int AutoAlignReplyTimeout = 5000;
constexpr int MaxRequestLength = 255;

// Result codes of HandleReply.
constexpr int ReplyDecoded = 0;
constexpr int ReplyRejected = 1;  // marked not recognised by the radio
constexpr int ReplyTooShort = 2;  // shorter than its layout: nothing stored

std::uint8_t Hi(int value) { return static_cast<std::uint8_t>((value >> 8) & 0xFF); }
std::uint8_t Lo(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

void MonitorLine(const char* text)
{
    if (frmCommsMonitor)
        frmCommsMonitor->AddLine(QString::fromLatin1(text));
}

void MonitorBytes(const std::uint8_t* bytes, int count, int transmit)
{
    if (frmCommsMonitor)
        frmCommsMonitor->LogBytes(bytes, count, transmit);
}

} // namespace

KR5100::KR5100(EEPROM* image_) : image(image_) {}

int KR5100::Transact(RadioPacket& req, RadioPacket& rep)
{
    lastReplyResult = -1;
    lastNotRecognised = false;
    if (!serialPort || !serialPort->SerialPortIsOpen())
        return 0;

    if (req.length < 0)
        req.length = 0;
    if (req.length > MaxRequestLength)
        req.length = MaxRequestLength;
    if (req.length > 0)
        req.bytes[0] |= wire::RequestBit;

    MonitorBytes(req.bytes, req.length, 1);
    serialPort->SerialPortSend(req.bytes, req.length);

    // A reply shorter than the last one must not show that one's bytes.
    std::memset(rep.bytes, 0, sizeof rep.bytes);
    rep.length = 0;
    int length = 0;
    if (serialPort->SerialPortWaitReply(rep.bytes, &length) == SerialPort::WaitTimeoutCode) {
        MonitorLine("Comms Error");
        return 0;
    }
    if (length < 0 || length > static_cast<int>(sizeof rep.bytes))
        length = 0;
    rep.length = length;

    MonitorBytes(rep.bytes, rep.length, 0);
    lastReplyResult = HandleReply(rep);
    lastNotRecognised = (lastReplyResult == ReplyRejected);
    return 1;
}

int KR5100::LateReplyDue() const
{
    return serialPort ? serialPort->LateReplyDue() : 0;
}

void KR5100::WaitLateReply() const
{
    if (serialPort)
        serialPort->WaitLateReply();
}

int KR5100::HandleReply(const RadioPacket& rep)
{
    if (rep.length < 1)
        return ReplyTooShort;
    const std::uint8_t* r = rep.bytes;
    const int n = rep.length;
    if (r[0] & wire::NotRecognisedBit) {
        MonitorLine("Error: Command Not Recognised");
        return ReplyRejected;
    }

    switch (r[0] & wire::CodeMask) {
    case wire::QueryVersion:
        if (n < 4)
            return ReplyTooShort;
        fwMajor = r[1];
        fwMinor = r[2];
        fwLetter = r[3];
        break;
    case wire::ReadByte:
        if (n < 4)
            return ReplyTooShort;
        lastValue = r[3];
        break;
    case wire::ReadWord:
        if (n < 5)
            return ReplyTooShort;
        lastValue = r[3] * 256 + r[4];
        break;
    case wire::ReadBlock:
        if (n < 3 + wire::BlockBytes)
            return ReplyTooShort;
        for (int i = 0; i < wire::BlockBytes; ++i)
            blockValues[i] = r[3 + i];
        break;
    case wire::QueryChannel:
    case wire::ChannelUp:
    case wire::ChannelDown:
        if (n < 2)
            return ReplyTooShort;
        currentChannel = r[1];
        break;
    case wire::QueryStatus:
        if (n < 2)
            return ReplyTooShort;
        radioStatus = r[1];
        break;
    case wire::Service:
        if (n < 2)
            return ReplyTooShort;
        switch (r[1]) {
        case wire::MemRead:
            if (n < 5)
                return ReplyTooShort;
            memReadValue = r[4];
            break;
        case wire::ReadDacs:
            if (n < 3)
                return ReplyTooShort;
            if (r[2] == wire::AllDacs) {
                if (n < 11)
                    return ReplyTooShort;
                for (int i = 0; i < 8; ++i)
                    dacValues[i] = r[3 + i];
            } else if (r[2] < 8) {
                if (n < 4)
                    return ReplyTooShort;
                dacValues[r[2]] = r[3]; // unsigned, as in the all-eight form
            }
            break;
        case wire::ReadAdc:
            if (n < 4)
                return ReplyTooShort;
            adcValues[r[2] & 7] = r[3];
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return ReplyDecoded;
}

int KR5100::GetFirmwareText(std::string& text) const
{
    text.clear();
    if (fwMajor < 0)
        return 0;
    char buffer[32];
    if (fwMajor < 10)
        std::snprintf(buffer, sizeof buffer, "v%X.%02X", fwMajor, fwMinor & 0xFF);
    else
        std::snprintf(buffer, sizeof buffer, "v%02X.%02X", fwMajor & 0xFF, fwMinor & 0xFF);
    text = buffer;
    if (fwLetter != 0)
        text += static_cast<char>(fwLetter);
    return 1;
}

// Builds the request from the given bytes and runs one exchange; true only when a reply
// came and was decoded (not rejected, not short).
bool KR5100::Exchange(std::initializer_list<int> bytes)
{
    request.length = 0;
    for (int b : bytes)
        request.bytes[request.length++] = Lo(b);
    return Transact(request, reply) == 1 && lastReplyResult == ReplyDecoded;
}

// The reply answers a request of this code and address (or sub-command and index).
bool KR5100::ReplyMatches(int code, int address) const
{
    return reply.length >= 3 && (reply.bytes[0] & wire::CodeMask) == code && reply.bytes[1] == Hi(address)
        && reply.bytes[2] == Lo(address);
}

int KR5100::QueryVersion()
{
    fwMajor = -1;
    return Exchange({wire::QueryVersion}) ? 0 : 1;
}

int KR5100::ReadByte(int address, int* value)
{
    if (!Exchange({wire::ReadByte, Hi(address), Lo(address)}) || !ReplyMatches(wire::ReadByte, address))
        return 1;
    if (image)
        image->SetByte(address, lastValue);
    if (value)
        *value = lastValue;
    return 0;
}

int KR5100::ReadWord(int address, int* value)
{
    if (!Exchange({wire::ReadWord, Hi(address), Lo(address)}) || !ReplyMatches(wire::ReadWord, address))
        return 1;
    if (image)
        image->SetWord(address, lastValue);
    if (value)
        *value = lastValue;
    return 0;
}

int KR5100::ReadBlock(int address)
{
    if (!Exchange({wire::ReadBlock, Hi(address), Lo(address)}) || !ReplyMatches(wire::ReadBlock, address))
        return 1;
    if (image && address >= 0)
        image->StoreInts(address, blockValues, wire::BlockBytes);
    return 0;
}

int KR5100::QueryChannel()
{
    return Exchange({wire::QueryChannel}) ? currentChannel : -1;
}

int KR5100::QueryStatus(int* status)
{
    Exchange({wire::QueryStatus});
    if (status)
        *status = radioStatus;
    return 0;
}

int KR5100::WriteByte(int address, int value)
{
    if (!Exchange({wire::WriteByte, Hi(address), Lo(address), value}))
        return 1;
    if (image)
        image->SetByte(address, value);
    return 0;
}

int KR5100::WriteWord(int address, int value)
{
    if (!Exchange({wire::WriteWord, Hi(address), Lo(address), Hi(value), Lo(value)}))
        return 1;
    if (image)
        image->SetWord(address, value);
    return 0;
}

int KR5100::WriteBlock(int address, const std::uint8_t* bytes16)
{
    request.length = 0;
    request.bytes[request.length++] = wire::WriteBlock;
    request.bytes[request.length++] = Hi(address);
    request.bytes[request.length++] = Lo(address);
    for (int i = 0; i < wire::BlockBytes; ++i)
        request.bytes[request.length++] = bytes16 ? bytes16[i] : 0;
    const bool ok = Transact(request, reply) == 1 && lastReplyResult == ReplyDecoded;
    return ok ? 0 : 1;
}

int KR5100::SetChannel(int channelCode)
{
    return Exchange({wire::SetChannel, channelCode}) ? 0 : 1;
}

int KR5100::SetPtt(int on)
{
    Exchange({wire::SetPtt, on & 1});
    return 0;
}

int KR5100::SetSquelchLevel(int level)
{
    Exchange({wire::SetSquelchLevel, level});
    return 0;
}

int KR5100::SendRemoteKey(int key, int action)
{
    Exchange({wire::SendRemoteKey, key, action});
    return 0;
}

int KR5100::StepChannel(int direction)
{
    Exchange({direction >= 0 ? wire::ChannelUp : wire::ChannelDown});
    return 0;
}

int KR5100::MemRead(int address, int* value)
{
    Exchange({wire::Service, wire::MemRead, Hi(address), Lo(address)});
    if (value)
        *value = memReadValue;
    return 0;
}

int KR5100::ReadDacs(int index)
{
    Exchange({wire::Service, wire::ReadDacs, index});
    return 0;
}

int KR5100::ReadAdc(int index, int* value)
{
    index &= 7;
    if (!Exchange({wire::Service, wire::ReadAdc, index}))
        return 1;
    // Only a reading of this ADC answers. Any other reply was left by a timed-out request,
    // and this one's own reply may still come: it must not answer the next request.
    if (!ReplyMatches(wire::Service, (wire::ReadAdc << 8) | index)) {
        serialPort->ExpectLateReply();
        return 1;
    }
    if (value)
        *value = adcValues[index] & 0xFF;
    return 0;
}

int KR5100::MemWrite(int address, int data, int mask)
{
    Exchange({wire::Service, wire::MemWrite, Hi(address), Lo(address), data, mask});
    return 0;
}

int KR5100::SetCtcss(int tone)
{
    Exchange({wire::Service, wire::SetCtcss, tone});
    return 0;
}

int KR5100::WriteLcd(const char digits[2], const char text[5], int mask, int flag)
{
    request.length = 0;
    request.bytes[request.length++] = wire::Service;
    request.bytes[request.length++] = wire::WriteLcd;
    for (int i = 0; i < 2; ++i)
        request.bytes[request.length++] = digits ? static_cast<std::uint8_t>(digits[i]) : 0;
    for (int i = 0; i < 5; ++i)
        request.bytes[request.length++] = text ? static_cast<std::uint8_t>(text[i]) : 0;
    // The LCD mask is the one 16-bit value sent low byte first.
    request.bytes[request.length++] = Lo(mask);
    request.bytes[request.length++] = Hi(mask);
    request.bytes[request.length++] = Lo(flag);
    Transact(request, reply);
    return 0;
}

int KR5100::SetSquelch(int open)
{
    Exchange({wire::Service, wire::SetSquelch, open});
    return 0;
}

int KR5100::SetDac(int index, int value)
{
    Exchange({wire::Service, wire::SetDac, index, value});
    return 0;
}

int KR5100::SetFrequency(int count)
{
    Exchange({wire::Service, wire::SetFrequency, Hi(count), Lo(count)});
    return 0;
}

int KR5100::AutoAlign(int flags, int start, int stop, int step)
{
    if (serialPort)
        serialPort->SetReplyTimeout(AutoAlignReplyTimeout);
    Exchange({wire::Service, wire::AutoAlign, flags, start, stop, step});
    if (serialPort)
        serialPort->SetReplyTimeout(NormalReplyTimeout);
    return 0;
}

int KR5100::SetBeep(int tone, int second)
{
    Exchange({wire::Service, wire::SetBeep, tone, second});
    return 0;
}

int KR5100::SetTestMode(int mode)
{
    return Exchange({wire::SetTestMode, mode}) ? 0 : 1;
}

int KR5100::EnterProgMode()
{
    return Exchange({wire::EnterProgMode}) ? 0 : 1;
}

int KR5100::ResetRadio()
{
    return Exchange({wire::ResetRadio}) ? 0 : 1;
}
