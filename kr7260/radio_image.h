// The KR7260 radio image: 128 configuration words held as signed 32-bit integers,
// guarded so the parser thread and the user-interface thread never touch a word at once.
// Widget-free: shared by the link, the transfer machines and every editor.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <mutex>

// Word map (word addresses of the radio's 128-word memory).
namespace kr72map {
constexpr int WordCount = 128;
constexpr int WordSMeter = 1;        // low byte S9+ level, high byte S1 level
constexpr int WordFixedChannel = 2;  // low byte fixed channel index; high byte forced 0x0A on write
constexpr int WordOptions3 = 3;      // option words 3..6 (editor OptionBytes)
constexpr int WordOptions4 = 4;
constexpr int WordOptions5 = 5;
constexpr int WordOptions6 = 6;
constexpr int WordLeadInDelay = 7;
constexpr int WordTxTimeoutPageChannel = 8;
constexpr int WordPriority = 9;
constexpr int WordDuplexPowerDown = 11;
constexpr int WordTxDelaySquelchPot = 12;
constexpr int WordPageAlarmRepeats = 13;
constexpr int WordSqlOpen = 14;
constexpr int WordSqlClose = 15;
constexpr int WordSqlSlopes = 16;
constexpr int WordMuteTiming = 17;
constexpr int WordMuteOnAlarmCycles = 18;
constexpr int WordAlarmOnTime = 19;
constexpr int WordAlarmOffTime = 20;
constexpr int WordCbCtcssTones = 21;
constexpr int WordCalibrationFirst = 22; // 22..26
constexpr int WordCalibrationLast = 26;
constexpr int OpenScanBase = 27;     // channel bitmaps, four words each
constexpr int GroupScanBase = 31;
constexpr int QuietBase = 35;
constexpr int CtcssSilentBase = 39;
constexpr int SelcallIdentBase = 43; // ident k (0..16) in words 43 + 2k and 44 + 2k
constexpr int SelcallIdentCount = 17;
constexpr int AlphaTagBase = 77;     // tag a (0..9) in words 77 + 3a .. 79 + 3a
constexpr int AlphaTagCount = 10;
constexpr int SpareFreqBase = 107;   // spare channel n (41..60) in word 107 + (n - 41)

// Channel indices: 0..39 = CB 1..40, 40..59 = spare receive channels 41..60.
constexpr int CbChannelCount = 40;
constexpr int SpareFirst = 41;
constexpr int SpareLast = 60;
constexpr int ChannelIndexCount = 60;
constexpr int BitmapBits = 64;       // bits per channel bitmap (0..63)

// Spare channel frequency word: MHz = word / 80; 0 = absent.
constexpr int SpareFreqWord(int channel) { return SpareFreqBase + (channel - SpareFirst); }
constexpr int FreqMinWord = 37200;   // 465.0000 MHz
constexpr int FreqMaxWord = 38800;   // 485.0000 MHz

// "CB 01".."CB 40" for indices 0..39, "RX 41".."RX 60" for 40..59; "" otherwise.
QString ChannelName(int index);
} // namespace kr72map

class TRadioImage {
public:
    using Words = std::array<std::int32_t, kr72map::WordCount>;

    enum class FileStatus {
        Ok,
        CannotOpen,  // file could not be opened / created: no message, nothing changed
        ReadError,   // error while reading: the words read before it stay in the image
        WriteError,  // error while writing: the previous file is kept
    };

    TRadioImage();   // all words 0

    // Word k (0..127); 0 for any other k. Set ignores an address outside the image.
    std::int32_t Get(int k) const;
    void Set(int k, std::int32_t value);
    // Replace one byte of the low 16 bits, keeping the rest of the element.
    void SetHighByte(int k, std::uint8_t b);
    void SetLowByte(int k, std::uint8_t b);
    // Word k := (word k AND andMask) OR orMask, as one step.
    void Modify(int k, std::int32_t andMask, std::int32_t orMask);
    // The same for a level the radio reports unasked-for timing (S-meter replies): it
    // lands only while the gate is open. The gate starts closed; the gate and the change
    // share the lock, so once a window has closed the gate no late reply can undo its
    // restore. SetLiveGate returns the gate as it was.
    void ModifyLive(int k, std::int32_t andMask, std::int32_t orMask);
    bool SetLiveGate(bool open);

    Words Snapshot() const;
    void Assign(const Words& words);
    void Fill(std::int32_t value);

    // Channel bitmaps: index i is bit (i mod 16) of word base + (i div 16); i in 0..63.
    bool GetMapBit(int base, int index) const;
    void SetMapBit(int base, int index, bool on);
    // A spare channel (41..60) exists only while its frequency word is non-zero.
    bool SparePresent(int channel) const;

    // ".mem" file: 512 bytes, element k as 4 bytes little-endian at offset 4k.
    // Load reads at most 512 bytes; a short file replaces only the bytes it holds
    // (low-order bytes of an element first). Save writes a temporary file beside the
    // target and renames it into place.
    FileStatus LoadFromFile(const QString& name);
    FileStatus SaveToFile(const QString& name) const;
    // Box text for a failed load or save ("There is a problem reading the file" ...),
    // caption "File Error", flags 1; empty for Ok and CannotOpen (which say nothing).
    static QString FileErrorText(FileStatus status);

private:
    mutable std::mutex mutex_;
    Words words_{};
    bool liveGate_ = false;
};
