// The radio's 256-byte configuration memory image and its byte map.
#pragma once

#include "eebuff.h"

#include <string>

// One receive-only channel (41 to 60).
struct RX_CH_DATA_STRUCT {
    int frequency = 0;  // Hz; 0 = not in use
    std::string tag;    // alpha tag, up to 5 characters
    int flags = 0;      // RxScan1 | RxScan2 | RxSilent
};
enum : int { RxScan1 = 8, RxScan2 = 4, RxSilent = 1 };

namespace ee {
// Addresses of the image (decimal).
constexpr int ImageSize = 256;
constexpr int CalibrationStart = 0, CalibrationWords = 14;
constexpr int FrontEnd = 2;          // 2 + 4 * (k - 1) + (t - 1), k = 1..3, t = 1..4
constexpr int Modulation = 14, Balance = 16, PowerHigh = 18, PowerOverVoltage = 19;
constexpr int PllTrim = 20, TempCo = 21, SMeterS1 = 22, SMeterS9 = 23;
constexpr int RadioOptions30 = 30;
constexpr int SquelchLevel = 32, TxTimeout = 33;
constexpr int OptionBlock = 34;      // 34..39 (scan, CTCSS, engineering), 34..41 (radio options)
constexpr int Options34 = 34, Options35 = 35, CtcssBits = 38;
constexpr int PllReference = 44, IfOffset = 46;
constexpr int MuteDebounce = 48, MuteMinOpen = 49, PriorityRate = 50;
constexpr int PriorityChannel = 52, DuplexChannels = 53;
constexpr int CtcssTone = 56, CtcssRxTone = 57;
constexpr int ScanMemory1 = 64, ScanMemory2 = 72, SilentMemory = 88;
constexpr int RxChannels = 216;      // 216 + 2 * (c - 41), c = 41..60
constexpr int RxChannelCount = 20;
constexpr int ChannelStepHz = 12500;
constexpr int ChannelCodeOffset = 128; // channel n travels as n + 128
constexpr int CbChannels = 40, FirstRxChannel = 41, LastRxChannel = 60;
constexpr int RxChannelMaxWord = 65534; // the highest count below the 0xFFFF "not in use" mark

// Bits of the option bytes.
constexpr int ScanEnabled = 0x08;                          // byte 34
constexpr int ThreeBeeps = 0x01, GroupScanMem2 = 0x02,     // byte 35
              Ptt2223Disabled = 0x04, TxRxOnlyDisabled = 0x10, PriorityPttExit = 0x80;
constexpr int CtcssEnabled = 0x01, Ctcss535Disabled = 0x02, // byte 38
              CtcssDuplexDisabled = 0x04, CtcssNarrow = 0x08, BusyLockoutOverride = 0x10,
              BusyLockout = 0x20, CcirToneSet = 0x40;
} // namespace ee

class EEPROM : public EEbuffer {
public:
    explicit EEPROM(int size = ee::ImageSize) : EEbuffer(size) {}

    // index 0..19 (channel 41 + index); -1 when outside the image.
    int GetRxChannel(int index, RX_CH_DATA_STRUCT* record);
    std::string GetAlphaTag(int position);
    static std::string UnpackText6(unsigned int value);
};

extern EEPROM* eepromImage;
