// A simulated KR5180 radio on a pseudo-terminal master, answering the radio's wire format
// from its own thread. Tests point the program at slavePath() (testsupport::ComMapping).
//
// Frames in both directions: 7E 02 LEN stuffed-payload checksum 7F, where payload bytes
// 7D/7E/7F travel as 7D (b ^ 0x20) and the checksum is ~(XOR of the payload).
// A reply echoes the request's byte 0 as received (0x80 | code); "not recognised" replies
// carry byte 0 | 0x40 and nothing else.
//
// Every setter and getter is thread-safe and may be called while the simulator runs.
#pragma once

#include "support/pty.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

class Kr5180Sim {
public:
    static constexpr int MemorySize = 256;

    // Makes its own pty (raw line settings) and starts answering at once.
    Kr5180Sim();
    ~Kr5180Sim();
    Kr5180Sim(const Kr5180Sim&) = delete;
    Kr5180Sim& operator=(const Kr5180Sim&) = delete;

    const std::string& slavePath() const { return pty_.slavePath(); }

    // ---- frame helpers (the simulator's own reading of the format) ----
    static Bytes buildFrame(const Bytes& payload, bool badChecksum = false);
    static std::uint8_t checksumOf(const Bytes& payload);

    // ---- radio state ----
    void setMemory(const Bytes& bytes);            // up to 256 bytes from address 0; rest unchanged
    void fillMemory(std::uint8_t value);
    Bytes memory() const;
    void setByte(int address, std::uint8_t value);
    std::uint8_t byteAt(int address) const;        // 0xFF outside the memory
    void setVersion(int major, int minor, char letter); // letter 0 for none
    void setChannel(int code);
    int channel() const;
    void setStatus(std::uint8_t status);
    void setDac(int index, std::uint8_t value);
    int dac(int index) const;
    void setAdc(int index, std::uint8_t value);
    // The next reads of ADC index answer these, in order; then the last one stays.
    void queueAdc(int index, const Bytes& readings);
    bool programMode() const;
    int testMode() const;                           // last mode of 0x38, 0 after reset
    int resetCount() const;

    // ---- request log ----
    std::vector<Bytes> requests() const;            // every request payload, as received
    int requestCount() const;
    void clearLog();
    // Blocks until at least n requests were received or timeoutMs passes; true when reached.
    bool waitForRequests(int n, int timeoutMs = 3000) const;
    int badFrames() const;                          // frames dropped for checksum or length
    std::uint64_t bytesReceived() const;            // bytes read from the line
    std::uint64_t bytesSent() const;                // bytes written to the line
    void resetCounters();                           // both byte counters to 0

    // ---- fault knobs ----
    void setSilent(bool on);                        // receive and log, answer nothing, change nothing
    void setReplyDelayMs(int ms);
    // The reply to this request (1-based, as dropReply) comes ms later than the others.
    void delayReply(int requestIndex, int ms);
    void dropReply(int requestIndex);               // 1-based count of requests since start/clearLog
    void setDroppedReplies(const std::set<int>& requestIndices);
    void dropNextReplies(int count);                // the next `count` replies are not sent
    // An extra frame written in the same write as the next reply (before or after it).
    void setExtraFrame(const Bytes& payload, bool beforeReply = true, bool everyReply = false);
    // The next reply is sent again gapMs after it (the radio repeating itself).
    void repeatNextReply(int gapMs);
    // The next reply carries this payload instead of the radio's answer.
    void replaceNextReply(const Bytes& payload);
    // Each reply is written in two parts with a gap; splitAt -1 splits in the middle.
    void setSplitReplies(bool on, int gapMs = 20, int splitAt = -1);
    void setBadChecksum(bool on);
    void setNotRecognisedAll(bool on);
    void setNotRecognised(const std::set<int>& codes); // command codes without bit 7
    // Pacing: each byte is written 10/baud s after the previous (0 = unpaced). With
    // requestWireTime the reply also waits for the request's own time on the line.
    void setBaud(int baud, bool requestWireTime = true);
    int baud() const;

    // ---- out-of-band ----
    void sendUnsolicited(const Bytes& payload);     // one frame, written as soon as possible
    void sendRaw(const Bytes& bytes);               // raw bytes, as they are
    // Closes the master (a pulled cable): the slave sees EIO/POLLHUP. The simulator stops.
    void closeLine();
    bool lineClosed() const;

private:
    struct Parser {
        int state = 0;
        int expected = 0;
        bool escape = false;
        bool checksumOk = false;
        int raw = 0;                                // bytes of the frame on the line so far
        Bytes payload;
        std::chrono::steady_clock::time_point started{};
    };
    void run();
    void feed(std::uint8_t byte, std::chrono::steady_clock::time_point now);
    void onFrame(const Bytes& payload, bool ok, std::chrono::steady_clock::time_point started, int rawBytes);
    // Decodes a request and returns the reply payload (empty: no reply).
    Bytes answer(const Bytes& request);
    void writeOut(const Bytes& bytes, int baud, std::chrono::steady_clock::time_point earliest);
    bool writeAll(const std::uint8_t* data, std::size_t n);
    bool sleepUntil(std::chrono::steady_clock::time_point t);
    void wake();

    PtyPair pty_;
    int wakeRead_ = -1, wakeWrite_ = -1;
    std::thread thread_;
    Parser parser_;

    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    bool stop_ = false;
    bool closeRequested_ = false;
    bool closed_ = false;

    std::uint8_t memory_[MemorySize];
    int major_ = 1, minor_ = 5;
    char letter_ = 'A';
    int channel_ = 129;
    std::uint8_t status_ = 0;
    std::uint8_t dacs_[8] = {};
    std::uint8_t adcs_[8] = {};
    std::deque<std::uint8_t> adcQueue_[8];
    bool programMode_ = false;
    int testMode_ = 0;
    int resets_ = 0;

    std::vector<Bytes> log_;
    int badFrames_ = 0;
    std::atomic<std::uint64_t> rxBytes_{0}, txBytes_{0};

    bool silent_ = false;
    int delayMs_ = 0;
    std::set<int> dropped_;
    std::map<int, int> delayed_;                    // request index -> extra delay, ms
    int dropNext_ = 0;
    std::optional<Bytes> extra_;
    bool extraBefore_ = true, extraEvery_ = false;
    int repeatGapMs_ = -1;                          // -1: no repeat
    std::optional<Bytes> replacement_;
    bool split_ = false;
    int splitGapMs_ = 20, splitAt_ = -1;
    bool badChecksum_ = false;
    bool notRecognisedAll_ = false;
    std::set<int> notRecognised_;
    int baud_ = 0;
    bool requestWireTime_ = true;
    std::vector<Bytes> outbox_;                     // unsolicited frames / raw bytes to write
};

} // namespace testsupport
