// A simulated KR7260 radio on the master side of a pseudo-terminal.
//
// Frames in both directions: payload, checksum (0xFF minus the 8-bit payload sum), command, 0xCC.
// Requests are 7 bytes, 21 for the block write (command 5). The radio holds 128 words and
// answers from its own thread; every accepted request is logged with its arrival time.
// Fault knobs let tests make the line misbehave.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class PtyPair;

class Kr7260Sim {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kWords = 128;

    struct Request {
        Clock::time_point at;        // arrival of the terminator (paced line time when pacing)
        Clock::time_point replyEnd;  // last reply byte written; == at when no reply was sent
        std::uint8_t command = 0;
        int address = -1;            // word address for 4..7, sub-code for 10, else -1
        bool replied = false;
        std::size_t replyBytes = 0;  // length of the reply frame sent
        std::vector<std::uint8_t> frame;  // the whole request as received
    };

    // Builds a frame: payload, checksum, command, 0xCC.
    static std::vector<std::uint8_t> Frame(std::uint8_t command, const std::vector<std::uint8_t>& payload);
    static std::uint8_t Checksum(const std::uint8_t* payload, std::size_t n);

    // Starts answering on the pty's master at once. The pty must outlive the simulator.
    explicit Kr7260Sim(PtyPair& pty);
    ~Kr7260Sim();
    Kr7260Sim(const Kr7260Sim&) = delete;
    Kr7260Sim& operator=(const Kr7260Sim&) = delete;

    // --- radio state (thread-safe) ---
    void setWord(int address, std::uint16_t value);
    std::uint16_t word(int address) const;
    void setMemory(const std::array<std::uint16_t, kWords>& words);
    std::array<std::uint16_t, kWords> memory() const;
    void setVersion(const std::string& text);  // default "KR7260d V1.0"
    std::string version() const;
    bool programMode() const;
    void setProgramMode(bool on);
    void setBusy(std::uint8_t level);
    void setRssi(std::uint8_t level);
    // The signal level the radio stores as its S1 / S9+ reference on the live set commands.
    void setSignalLevel(std::uint8_t level);
    // When on (the default) block reads and writes outside program mode get no reply.
    void setRequireProgramMode(bool on);

    // --- request log (thread-safe) ---
    std::vector<Request> requests() const;
    std::vector<std::uint8_t> commands() const;    // the command bytes, in order
    int count(std::uint8_t command) const;
    int count(std::uint8_t command, int address) const;
    void clearLog();
    // Blocks (without pumping events) until pred(log) holds or timeoutMs passes.
    bool waitUntil(const std::function<bool(const std::vector<Request>&)>& pred, int timeoutMs) const;
    std::uint64_t bytesIn() const { return bytesIn_.load(); }
    std::uint64_t bytesOut() const { return bytesOut_.load(); }
    void resetByteCounts();
    int rejectedFrames() const { return rejected_.load(); }  // 0xCC bytes that ended no valid request

    // --- fault knobs (thread-safe; take effect for the next request) ---
    void setSilent(bool on);                                   // log requests, never reply
    void setReplyDelay(std::chrono::milliseconds delay);       // wait before each reply
    void dropReplyNumber(int n);                               // drop the n-th reply (1-based, counted since start or clearLog)
    void dropRepliesTo(std::uint8_t command, int count = -1);  // drop the next count replies to command (-1: all)
    void setSplitReplies(bool on, int firstBytes = 0,
                         std::chrono::milliseconds gap = std::chrono::milliseconds(30));  // firstBytes 0: all but the 0xCC
    void setMergeReplies(bool on);                             // replies to requests of one read go out in one write
    void setBadChecksum(std::uint8_t command, int count = 1);  // command 0: any; count -1: all
    void setWrongBlockAddress(int count = 1);                  // next replies 4 name address + 8
    void corruptReadBack(int address);                         // next block read after a block write over address reports it altered
    void setPrefixBytes(const std::vector<std::uint8_t>& bytes);  // sent before every reply
    void sendUnsolicited(const std::vector<std::uint8_t>& bytes); // sent by the radio thread as soon as possible
    void setPacing(int baud);                                  // 0: off; else bytes take 10/baud s each way
    // Closes the master: the program then sees its port lost. The simulator stops.
    void closeLine();

private:
    struct Knobs {
        bool silent = false;
        std::chrono::milliseconds delay{0};
        std::set<int> dropNumbers;
        std::uint8_t dropCommand = 0;
        int dropCount = 0;
        bool split = false;
        int splitFirst = 0;
        std::chrono::milliseconds splitGap{30};
        bool merge = false;
        std::uint8_t badCommand = 0;
        int badCount = 0;
        int wrongAddressCount = 0;
        std::set<int> corruptAddresses;      // armed by corruptReadBack
        std::set<int> corruptPendingBlocks;  // block start addresses written over an armed address
        std::vector<std::uint8_t> prefix;
        int baud = 0;
    };

    void run();
    void handleBytes(const std::uint8_t* data, std::size_t n, Clock::time_point readAt);
    void handleFrame(std::uint8_t command, const std::uint8_t* frame, std::size_t length, Clock::time_point at);
    std::vector<std::uint8_t> answer(std::uint8_t command, const std::uint8_t* frame, std::size_t length, Request& req);
    void sendReply(std::vector<std::uint8_t> bytes, const Knobs& k);
    void flushHeld(const Knobs& k);
    bool writeAll(const std::uint8_t* data, std::size_t n, int baud);
    void wake();

    PtyPair& pty_;
    int fd_;
    int wakeFd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> closeRequested_{false};
    std::atomic<bool> closed_{false};

    mutable std::mutex mu_;
    mutable std::condition_variable logChanged_;
    std::array<std::uint16_t, kWords> mem_{};
    std::string version_ = "KR7260d V1.0";
    bool programMode_ = false;
    bool requireProgramMode_ = true;
    std::uint8_t busy_ = 0, rssi_ = 0, signal_ = 0;
    std::vector<Request> log_;
    int replyNumber_ = 0;
    Knobs knobs_;
    std::deque<std::vector<std::uint8_t>> unsolicited_;

    std::atomic<std::uint64_t> bytesIn_{0}, bytesOut_{0};
    std::atomic<int> rejected_{0};

    // Radio thread only.
    std::vector<std::uint8_t> rx_;
    std::vector<std::uint8_t> held_;
    Clock::time_point rxClock_{}, txClock_{};
};

} // namespace testsupport
