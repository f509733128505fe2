#include "support/kr5180_sim.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace testsupport {

using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint8_t Start = 0x7E, Second = 0x02, End = 0x7F, Escape = 0x7D;

bool needsEscape(std::uint8_t b) { return b == 0x7D || b == 0x7E || b == 0x7F; }

Clock::duration byteTime(int baud)
{
    // 10 bits a byte (start, 8 data, stop).
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud));
}

} // namespace

Bytes Kr5180Sim::buildFrame(const Bytes& payload, bool badChecksum)
{
    Bytes f;
    f.reserve(payload.size() * 2 + 5);
    f.push_back(Start);
    f.push_back(Second);
    f.push_back(static_cast<std::uint8_t>(payload.size()));
    for (std::uint8_t b : payload) {
        if (needsEscape(b)) {
            f.push_back(Escape);
            f.push_back(b ^ 0x20);
        } else {
            f.push_back(b);
        }
    }
    std::uint8_t cs = checksumOf(payload);
    f.push_back(badChecksum ? static_cast<std::uint8_t>(cs ^ 0x55) : cs);
    f.push_back(End);
    return f;
}

std::uint8_t Kr5180Sim::checksumOf(const Bytes& payload)
{
    std::uint8_t x = 0;
    for (std::uint8_t b : payload)
        x ^= b;
    return static_cast<std::uint8_t>(~x);
}

Kr5180Sim::Kr5180Sim()
{
    std::fill(std::begin(memory_), std::end(memory_), 0xFF);
    int fd = pty_.masterFd();
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    int p[2];
    if (pipe2(p, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("Kr5180Sim: pipe failed");
    wakeRead_ = p[0];
    wakeWrite_ = p[1];
    thread_ = std::thread([this] { run(); });
}

Kr5180Sim::~Kr5180Sim()
{
    {
        std::lock_guard<std::mutex> lk(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
    wake();
    if (thread_.joinable())
        thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void Kr5180Sim::wake()
{
    std::uint8_t b = 1;
    ssize_t r = ::write(wakeWrite_, &b, 1);
    (void)r;
}

// ---- thread ----

void Kr5180Sim::run()
{
    std::uint8_t buf[512];
    for (;;) {
        std::vector<Bytes> out;
        int baud;
        {
            std::lock_guard<std::mutex> lk(mutex_);
            if (stop_)
                return;
            if (closeRequested_) {
                pty_.closeMaster();
                closed_ = true;
                cv_.notify_all();
                return;
            }
            out.swap(outbox_);
            baud = baud_;
        }
        for (const Bytes& b : out)
            writeOut(b, baud, Clock::now());

        pollfd fds[2] = {{pty_.masterFd(), POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        int n = ::poll(fds, 2, 200);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents & POLLIN) {
            while (::read(wakeRead_, buf, sizeof buf) > 0) {
            }
        }
        if (fds[0].revents & POLLIN) {
            ssize_t got = ::read(pty_.masterFd(), buf, sizeof buf);
            if (got > 0) {
                rxBytes_ += static_cast<std::uint64_t>(got);
                auto now = Clock::now();
                for (ssize_t i = 0; i < got; ++i)
                    feed(buf[i], now);
                continue;
            }
        }
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            // No slave open (or an error): wait instead of spinning.
            std::unique_lock<std::mutex> lk(mutex_);
            cv_.wait_for(lk, std::chrono::milliseconds(10), [this] { return stop_ || closeRequested_; });
        }
    }
}

void Kr5180Sim::feed(std::uint8_t b, Clock::time_point now)
{
    Parser& p = parser_;
    auto restart = [&] {
        p.state = 1;
        p.started = now;
        p.raw = 1;
    };
    auto broken = [&] {
        std::lock_guard<std::mutex> lk(mutex_);
        ++badFrames_;
    };
    switch (p.state) {
    case 0:
        if (b == Start)
            restart();
        return;
    case 1:
        ++p.raw;
        if (b == Second)
            p.state = 2;
        else if (b == Start)
            restart();
        else
            p.state = 0;
        return;
    case 2:
        ++p.raw;
        p.expected = b;
        p.payload.clear();
        p.escape = false;
        p.state = p.expected ? 3 : 4;
        return;
    case 3:
        ++p.raw;
        if (b == Start) { // an unescaped start: the frame was cut short
            broken();
            restart();
        } else if (b == End) {
            broken();
            p.state = 0;
        } else if (b == Escape) {
            p.escape = true;
        } else {
            p.payload.push_back(p.escape ? static_cast<std::uint8_t>(b ^ 0x20) : b);
            p.escape = false;
            if (static_cast<int>(p.payload.size()) == p.expected)
                p.state = 4;
        }
        return;
    case 4:
        ++p.raw;
        p.checksumOk = (b == checksumOf(p.payload));
        p.state = 5;
        return;
    case 5:
        ++p.raw;
        if (b == End) {
            p.state = 0;
            onFrame(p.payload, p.checksumOk && p.expected > 0, p.started, p.raw);
        } else {
            broken();
            if (b == Start)
                restart();
            else
                p.state = 0;
        }
        return;
    default:
        p.state = 0;
    }
}

void Kr5180Sim::onFrame(const Bytes& payload, bool ok, Clock::time_point started, int rawBytes)
{
    Bytes reply;
    Bytes extra;
    bool extraBefore = true, drop = false, badCs, split;
    int repeatGap;
    int baud, delayMs, splitGap, splitAt;
    bool reqTime;
    {
        std::lock_guard<std::mutex> lk(mutex_);
        if (!ok) {
            ++badFrames_;
            return;
        }
        log_.push_back(payload);
        int index = static_cast<int>(log_.size());
        cv_.notify_all();
        if (silent_)
            return;
        reply = answer(payload);
        if (reply.empty())
            return;
        if (dropped_.count(index)) {
            drop = true;
        } else if (dropNext_ > 0) {
            --dropNext_;
            drop = true;
        }
        if (drop)
            return; // the radio acted on the request, its reply is lost
        if (replacement_) {
            reply = *replacement_;
            replacement_.reset();
        }
        repeatGap = repeatGapMs_;
        repeatGapMs_ = -1;
        if (extra_) {
            extra = *extra_;
            extraBefore = extraBefore_;
            if (!extraEvery_)
                extra_.reset();
        }
        badCs = badChecksum_;
        split = split_;
        splitGap = splitGapMs_;
        splitAt = splitAt_;
        baud = baud_;
        delayMs = delayMs_;
        if (auto late = delayed_.find(index); late != delayed_.end())
            delayMs += late->second;
        reqTime = requestWireTime_;
    }

    Clock::time_point earliest = Clock::now();
    if (baud > 0 && reqTime)
        earliest = std::max(earliest, started + byteTime(baud) * rawBytes);
    earliest += std::chrono::milliseconds(delayMs);

    Bytes out = buildFrame(reply, badCs);
    if (!extra.empty()) {
        Bytes e = buildFrame(extra);
        out.insert(extraBefore ? out.begin() : out.end(), e.begin(), e.end());
    }
    if (split && out.size() > 1) {
        std::size_t at = splitAt < 0 ? out.size() / 2
                                     : std::clamp<std::size_t>(splitAt, 1, out.size() - 1);
        Bytes first(out.begin(), out.begin() + at), second(out.begin() + at, out.end());
        writeOut(first, baud, earliest);
        writeOut(second, baud, Clock::now() + std::chrono::milliseconds(splitGap));
    } else {
        writeOut(out, baud, earliest);
    }
    if (repeatGap >= 0)
        writeOut(buildFrame(reply, badCs), baud, Clock::now() + std::chrono::milliseconds(repeatGap));
}

Bytes Kr5180Sim::answer(const Bytes& q)
{
    const std::uint8_t r0 = q[0];
    const Bytes notRecognised{static_cast<std::uint8_t>(r0 | 0x40)};
    if (!(r0 & 0x80))
        return notRecognised;
    const int code = r0 & 0x7F;
    if (notRecognisedAll_ || notRecognised_.count(code))
        return notRecognised;

    auto rd = [&](int a) -> std::uint8_t { return a >= 0 && a < MemorySize ? memory_[a] : 0xFF; };
    auto wr = [&](int a, std::uint8_t v) {
        if (a >= 0 && a < MemorySize)
            memory_[a] = v;
    };
    const std::size_t n = q.size();
    const int addr = n >= 3 ? q[1] * 256 + q[2] : 0;

    switch (code) {
    case 0x00:
        return {r0, static_cast<std::uint8_t>(major_), static_cast<std::uint8_t>(minor_),
                static_cast<std::uint8_t>(letter_)};
    case 0x01:
        if (n < 3)
            break;
        return {r0, q[1], q[2], rd(addr)};
    case 0x02:
        if (n < 3)
            break;
        return {r0, q[1], q[2], rd(addr), rd(addr + 1)};
    case 0x03: {
        if (n < 3)
            break;
        Bytes r{r0, q[1], q[2]};
        for (int i = 0; i < 16; ++i)
            r.push_back(rd(addr + i));
        return r;
    }
    case 0x04:
        return {r0, static_cast<std::uint8_t>(channel_)};
    case 0x05:
        return {r0, status_};
    case 0x21:
        if (n < 4)
            break;
        wr(addr, q[3]);
        return {r0, q[1], q[2]};
    case 0x22:
        if (n < 5)
            break;
        wr(addr, q[3]);
        wr(addr + 1, q[4]);
        return {r0, q[1], q[2]};
    case 0x23:
        if (n < 19)
            break;
        for (int i = 0; i < 16; ++i)
            wr(addr + i, q[3 + i]);
        return {r0, q[1], q[2]};
    case 0x24:
        if (n < 2)
            break;
        channel_ = q[1];
        return {r0, static_cast<std::uint8_t>(channel_)};
    case 0x26:
    case 0x27:
        if (n < 2)
            break;
        return {r0};
    case 0x28:
        if (n < 3)
            break;
        return {r0};
    case 0x29: // CB channels 129..168, wrapping
        channel_ = (channel_ < 129 || channel_ >= 168) ? 129 : channel_ + 1;
        return {r0, static_cast<std::uint8_t>(channel_)};
    case 0x2A:
        channel_ = (channel_ <= 129 || channel_ > 168) ? 168 : channel_ - 1;
        return {r0, static_cast<std::uint8_t>(channel_)};
    case 0x34: {
        if (n < 2)
            break;
        const std::uint8_t sub = q[1];
        switch (sub) {
        case 0x01:
            if (n < 4)
                break;
            return {r0, sub, q[2], q[3], rd(q[2] * 256 + q[3])};
        case 0x07: {
            if (n < 3)
                break;
            Bytes r{r0, sub, q[2]};
            if (q[2] == 255)
                r.insert(r.end(), std::begin(dacs_), std::end(dacs_));
            else if (q[2] < 8)
                r.push_back(dacs_[q[2]]);
            return r;
        }
        case 0x08:
            if (n < 3)
                break;
        {
            std::deque<std::uint8_t>& queued = adcQueue_[q[2] & 7];
            if (!queued.empty()) {
                adcs_[q[2] & 7] = queued.front();
                queued.pop_front();
            }
            return {r0, sub, q[2], adcs_[q[2] & 7]};
        }
        case 0x87:
            if (n < 4)
                break;
            dacs_[q[2] & 7] = q[3];
            return {r0, sub};
        case 0x81: if (n < 6) break; return {r0, sub};
        case 0x83: if (n < 3) break; return {r0, sub};
        case 0x84: if (n < 12) break; return {r0, sub};
        case 0x86: if (n < 3) break; return {r0, sub};
        case 0x88: if (n < 4) break; return {r0, sub};
        case 0x89: if (n < 6) break; return {r0, sub};
        case 0x8A: if (n < 4) break; return {r0, sub};
        default:
            break;
        }
        break;
    }
    case 0x38:
        if (n < 2)
            break;
        testMode_ = q[1];
        return {r0};
    case 0x39:
        programMode_ = true;
        return {r0};
    case 0x3F:
        programMode_ = false;
        testMode_ = 0;
        ++resets_;
        return {r0};
    default:
        break;
    }
    return notRecognised;
}

bool Kr5180Sim::sleepUntil(Clock::time_point t)
{
    std::unique_lock<std::mutex> lk(mutex_);
    return !cv_.wait_until(lk, t, [this] { return stop_ || closeRequested_; });
}

bool Kr5180Sim::writeAll(const std::uint8_t* data, std::size_t n)
{
    const int fd = pty_.masterFd();
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w > 0) {
            txBytes_ += static_cast<std::uint64_t>(w);
            data += w;
            n -= static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EAGAIN) {
            // The slave is not reading: wait for room, but give up when told to stop.
            pollfd pfd{fd, POLLOUT, 0};
            ::poll(&pfd, 1, 50);
            std::lock_guard<std::mutex> lk(mutex_);
            if (stop_ || closeRequested_)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

void Kr5180Sim::writeOut(const Bytes& bytes, int baud, Clock::time_point earliest)
{
    if (bytes.empty())
        return;
    if (baud <= 0) {
        if (earliest > Clock::now() && !sleepUntil(earliest))
            return;
        writeAll(bytes.data(), bytes.size());
        return;
    }
    // Byte i has fully arrived 10 bits after byte i-1: write it at that moment.
    const auto bt = byteTime(baud);
    auto t = std::max(earliest, Clock::now());
    for (std::uint8_t b : bytes) {
        t += bt;
        if (!sleepUntil(t))
            return;
        if (!writeAll(&b, 1))
            return;
    }
}

// ---- state ----

void Kr5180Sim::setMemory(const Bytes& bytes)
{
    std::lock_guard<std::mutex> lk(mutex_);
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), MemorySize), memory_);
}

void Kr5180Sim::fillMemory(std::uint8_t value)
{
    std::lock_guard<std::mutex> lk(mutex_);
    std::fill(std::begin(memory_), std::end(memory_), value);
}

Bytes Kr5180Sim::memory() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return Bytes(std::begin(memory_), std::end(memory_));
}

void Kr5180Sim::setByte(int address, std::uint8_t value)
{
    std::lock_guard<std::mutex> lk(mutex_);
    if (address >= 0 && address < MemorySize)
        memory_[address] = value;
}

std::uint8_t Kr5180Sim::byteAt(int address) const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return address >= 0 && address < MemorySize ? memory_[address] : 0xFF;
}

void Kr5180Sim::setVersion(int major, int minor, char letter)
{
    std::lock_guard<std::mutex> lk(mutex_);
    major_ = major;
    minor_ = minor;
    letter_ = letter;
}

void Kr5180Sim::setChannel(int code)
{
    std::lock_guard<std::mutex> lk(mutex_);
    channel_ = code;
}

int Kr5180Sim::channel() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return channel_;
}

void Kr5180Sim::setStatus(std::uint8_t status)
{
    std::lock_guard<std::mutex> lk(mutex_);
    status_ = status;
}

void Kr5180Sim::setDac(int index, std::uint8_t value)
{
    std::lock_guard<std::mutex> lk(mutex_);
    dacs_[index & 7] = value;
}

int Kr5180Sim::dac(int index) const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return dacs_[index & 7];
}

void Kr5180Sim::queueAdc(int index, const Bytes& readings)
{
    std::lock_guard<std::mutex> lock(mutex_);
    adcQueue_[index & 7].insert(adcQueue_[index & 7].end(), readings.begin(), readings.end());
}

void Kr5180Sim::setAdc(int index, std::uint8_t value)
{
    std::lock_guard<std::mutex> lk(mutex_);
    adcs_[index & 7] = value;
}

bool Kr5180Sim::programMode() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return programMode_;
}

int Kr5180Sim::testMode() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return testMode_;
}

int Kr5180Sim::resetCount() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return resets_;
}

// ---- log ----

std::vector<Bytes> Kr5180Sim::requests() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return log_;
}

int Kr5180Sim::requestCount() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return static_cast<int>(log_.size());
}

void Kr5180Sim::clearLog()
{
    std::lock_guard<std::mutex> lk(mutex_);
    log_.clear();
}

bool Kr5180Sim::waitForRequests(int n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lk(mutex_);
    return cv_.wait_for(lk, std::chrono::milliseconds(timeoutMs),
                        [&] { return static_cast<int>(log_.size()) >= n; });
}

int Kr5180Sim::badFrames() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return badFrames_;
}

std::uint64_t Kr5180Sim::bytesReceived() const { return rxBytes_; }
std::uint64_t Kr5180Sim::bytesSent() const { return txBytes_; }

void Kr5180Sim::resetCounters()
{
    rxBytes_ = 0;
    txBytes_ = 0;
}

// ---- knobs ----

void Kr5180Sim::setSilent(bool on)
{
    std::lock_guard<std::mutex> lk(mutex_);
    silent_ = on;
}

void Kr5180Sim::setReplyDelayMs(int ms)
{
    std::lock_guard<std::mutex> lk(mutex_);
    delayMs_ = std::max(0, ms);
}

void Kr5180Sim::delayReply(int requestIndex, int ms)
{
    std::lock_guard<std::mutex> lk(mutex_);
    delayed_[requestIndex] = std::max(0, ms);
}

void Kr5180Sim::dropReply(int requestIndex)
{
    std::lock_guard<std::mutex> lk(mutex_);
    dropped_.insert(requestIndex);
}

void Kr5180Sim::setDroppedReplies(const std::set<int>& requestIndices)
{
    std::lock_guard<std::mutex> lk(mutex_);
    dropped_ = requestIndices;
}

void Kr5180Sim::dropNextReplies(int count)
{
    std::lock_guard<std::mutex> lk(mutex_);
    dropNext_ = std::max(0, count);
}

void Kr5180Sim::setExtraFrame(const Bytes& payload, bool beforeReply, bool everyReply)
{
    std::lock_guard<std::mutex> lk(mutex_);
    if (payload.empty())
        extra_.reset();
    else
        extra_ = payload;
    extraBefore_ = beforeReply;
    extraEvery_ = everyReply;
}

void Kr5180Sim::repeatNextReply(int gapMs)
{
    std::lock_guard<std::mutex> lk(mutex_);
    repeatGapMs_ = std::max(0, gapMs);
}

void Kr5180Sim::replaceNextReply(const Bytes& payload)
{
    std::lock_guard<std::mutex> lk(mutex_);
    replacement_ = payload;
}

void Kr5180Sim::setSplitReplies(bool on, int gapMs, int splitAt)
{
    std::lock_guard<std::mutex> lk(mutex_);
    split_ = on;
    splitGapMs_ = std::max(0, gapMs);
    splitAt_ = splitAt;
}

void Kr5180Sim::setBadChecksum(bool on)
{
    std::lock_guard<std::mutex> lk(mutex_);
    badChecksum_ = on;
}

void Kr5180Sim::setNotRecognisedAll(bool on)
{
    std::lock_guard<std::mutex> lk(mutex_);
    notRecognisedAll_ = on;
}

void Kr5180Sim::setNotRecognised(const std::set<int>& codes)
{
    std::lock_guard<std::mutex> lk(mutex_);
    notRecognised_ = codes;
}

void Kr5180Sim::setBaud(int baud, bool requestWireTime)
{
    std::lock_guard<std::mutex> lk(mutex_);
    baud_ = std::max(0, baud);
    requestWireTime_ = requestWireTime;
}

int Kr5180Sim::baud() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return baud_;
}

// ---- out-of-band ----

void Kr5180Sim::sendUnsolicited(const Bytes& payload)
{
    {
        std::lock_guard<std::mutex> lk(mutex_);
        outbox_.push_back(buildFrame(payload));
    }
    wake();
}

void Kr5180Sim::sendRaw(const Bytes& bytes)
{
    {
        std::lock_guard<std::mutex> lk(mutex_);
        outbox_.push_back(bytes);
    }
    wake();
}

void Kr5180Sim::closeLine()
{
    std::unique_lock<std::mutex> lk(mutex_);
    if (closed_)
        return;
    closeRequested_ = true;
    cv_.notify_all();
    lk.unlock();
    wake();
    lk.lock();
    cv_.wait_for(lk, std::chrono::seconds(3), [this] { return closed_; });
}

bool Kr5180Sim::lineClosed() const
{
    std::lock_guard<std::mutex> lk(mutex_);
    return closed_;
}

} // namespace testsupport
