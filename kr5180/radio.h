// The radio command layer: one request payload, one synchronous exchange, the reply
// decoded into the fields below; the memory commands keep the image in step.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

class EEPROM;

struct RadioPacket {
    int length = 0;
    std::uint8_t bytes[1284] = {};
};

class KR5100 {
public:
    explicit KR5100(EEPROM* image);

    // 1 when a reply was received and decoded, 0 when the port is closed or no reply came.
    int Transact(RadioPacket& request, RadioPacket& reply);
    // 0 for a decoded reply, 1 for one marked not recognised, 2 for one shorter than its
    // layout (nothing stored).
    int HandleReply(const RadioPacket& reply);
    // "v1.05A"; returns 0 and an empty text while no version is known, else 1.
    int GetFirmwareText(std::string& text) const;
    // Replies carry nothing that pairs them with their request: after a time-out, the
    // milliseconds its reply may still come in and be taken for the next one's (0: none
    // can); WaitLateReply waits until none can.
    int LateReplyDue() const;
    void WaitLateReply() const;

    // Command operations; "ok/fail" ones return 0 on success, 1 on failure.
    int QueryVersion();
    int ReadByte(int address, int* value = nullptr);
    int ReadWord(int address, int* value = nullptr);
    int ReadBlock(int address);
    int QueryChannel();                       // channel code, or -1
    int QueryStatus(int* status);             // always 0
    int WriteByte(int address, int value);
    int WriteWord(int address, int value);
    int WriteBlock(int address, const std::uint8_t* bytes16);
    int SetChannel(int channelCode);
    int SetPtt(int on);                       // always 0
    int SetSquelchLevel(int level);           // always 0
    int SendRemoteKey(int key, int action);   // always 0; action 1 press, 2 release, 4 held
    int StepChannel(int direction);           // always 0
    int MemRead(int address, int* value);     // always 0
    int ReadDacs(int index);                  // always 0
    int ReadAdc(int index, int* value);
    int MemWrite(int address, int data, int mask); // always 0
    int SetCtcss(int tone);                   // always 0
    int WriteLcd(const char digits[2], const char text[5], int mask, int flag); // always 0
    int SetSquelch(int open);                 // always 0
    int SetDac(int index, int value);         // always 0
    int SetFrequency(int count);              // always 0
    int AutoAlign(int flags, int start, int stop, int step); // always 0
    int SetBeep(int tone, int second);        // always 0
    int SetTestMode(int mode);
    int EnterProgMode();
    int ResetRadio();

    int currentChannel = 0;
    int radioStatus = 0;
    int dacValues[8] = {};
    int adcValues[8] = {};
    int memReadValue = 0;
    int readCount = 0;
    int fwMajor = -1;
    int fwMinor = 0;
    int fwLetter = 0;
    RadioPacket request;
    RadioPacket reply;
    int lastValue = 0;
    int blockValues[16] = {};
    EEPROM* image;
    // Set by Transact: the last reply was marked not recognised.
    bool lastNotRecognised = false;
    // Set by Transact: HandleReply's result for the last reply, -1 when none came.
    int lastReplyResult = -1;

private:
    bool Exchange(std::initializer_list<int> bytes);
    bool ReplyMatches(int code, int address) const;
};

extern KR5100* radioCmd;
