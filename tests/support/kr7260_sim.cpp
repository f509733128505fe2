#include "support/kr7260_sim.h"

#include "support/pty.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace testsupport {

namespace {

std::uint8_t lo(int v) { return static_cast<std::uint8_t>(v & 0xFF); }
std::uint8_t hi(int v) { return static_cast<std::uint8_t>((v >> 8) & 0xFF); }

std::chrono::nanoseconds byteTime(int baud)
{
    return std::chrono::nanoseconds(10'000'000'000LL / baud);
}

} // namespace

std::uint8_t Kr7260Sim::Checksum(const std::uint8_t* payload, std::size_t n)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += payload[i];
    return static_cast<std::uint8_t>(0xFF - (sum & 0xFF));
}

std::vector<std::uint8_t> Kr7260Sim::Frame(std::uint8_t command, const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> f(payload);
    f.push_back(Checksum(payload.data(), payload.size()));
    f.push_back(command);
    f.push_back(0xCC);
    return f;
}

Kr7260Sim::Kr7260Sim(PtyPair& pty) : pty_(pty), fd_(pty.masterFd())
{
    for (int i = 0; i < kWords; ++i)
        mem_[i] = 0xFFFF;
    termios t{};
    if (tcgetattr(fd_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd_, TCSANOW, &t);
    }
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    thread_ = std::thread([this] { run(); });
}

Kr7260Sim::~Kr7260Sim()
{
    stop_ = true;
    wake();
    if (thread_.joinable())
        thread_.join();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void Kr7260Sim::wake()
{
    if (wakeFd_ >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] auto r = ::write(wakeFd_, &one, sizeof one);
    }
}

// ---------------------------------------------------------------- state

void Kr7260Sim::setWord(int address, std::uint16_t value)
{
    std::lock_guard l(mu_);
    if (address >= 0 && address < kWords)
        mem_[address] = value;
}

std::uint16_t Kr7260Sim::word(int address) const
{
    std::lock_guard l(mu_);
    return (address >= 0 && address < kWords) ? mem_[address] : 0;
}

void Kr7260Sim::setMemory(const std::array<std::uint16_t, kWords>& words)
{
    std::lock_guard l(mu_);
    mem_ = words;
}

std::array<std::uint16_t, Kr7260Sim::kWords> Kr7260Sim::memory() const
{
    std::lock_guard l(mu_);
    return mem_;
}

void Kr7260Sim::setVersion(const std::string& text) { std::lock_guard l(mu_); version_ = text; }
std::string Kr7260Sim::version() const { std::lock_guard l(mu_); return version_; }
bool Kr7260Sim::programMode() const { std::lock_guard l(mu_); return programMode_; }
void Kr7260Sim::setProgramMode(bool on) { std::lock_guard l(mu_); programMode_ = on; }
void Kr7260Sim::setBusy(std::uint8_t level) { std::lock_guard l(mu_); busy_ = level; }
void Kr7260Sim::setRssi(std::uint8_t level) { std::lock_guard l(mu_); rssi_ = level; }
void Kr7260Sim::setSignalLevel(std::uint8_t level) { std::lock_guard l(mu_); signal_ = level; }
void Kr7260Sim::setRequireProgramMode(bool on) { std::lock_guard l(mu_); requireProgramMode_ = on; }

// ---------------------------------------------------------------- log

std::vector<Kr7260Sim::Request> Kr7260Sim::requests() const
{
    std::lock_guard l(mu_);
    return log_;
}

std::vector<std::uint8_t> Kr7260Sim::commands() const
{
    std::lock_guard l(mu_);
    std::vector<std::uint8_t> c;
    for (const auto& r : log_)
        c.push_back(r.command);
    return c;
}

int Kr7260Sim::count(std::uint8_t command) const
{
    std::lock_guard l(mu_);
    return static_cast<int>(std::count_if(log_.begin(), log_.end(), [&](const Request& r) { return r.command == command; }));
}

int Kr7260Sim::count(std::uint8_t command, int address) const
{
    std::lock_guard l(mu_);
    return static_cast<int>(std::count_if(log_.begin(), log_.end(),
                                          [&](const Request& r) { return r.command == command && r.address == address; }));
}

void Kr7260Sim::clearLog()
{
    std::lock_guard l(mu_);
    log_.clear();
    replyNumber_ = 0;
}

bool Kr7260Sim::waitUntil(const std::function<bool(const std::vector<Request>&)>& pred, int timeoutMs) const
{
    std::unique_lock l(mu_);
    return logChanged_.wait_for(l, std::chrono::milliseconds(timeoutMs), [&] { return pred(log_); });
}

void Kr7260Sim::resetByteCounts()
{
    bytesIn_ = 0;
    bytesOut_ = 0;
}

// ---------------------------------------------------------------- knobs

void Kr7260Sim::setSilent(bool on) { std::lock_guard l(mu_); knobs_.silent = on; }
void Kr7260Sim::setReplyDelay(std::chrono::milliseconds delay) { std::lock_guard l(mu_); knobs_.delay = delay; }
void Kr7260Sim::dropReplyNumber(int n) { std::lock_guard l(mu_); knobs_.dropNumbers.insert(n); }

void Kr7260Sim::dropRepliesTo(std::uint8_t command, int count)
{
    std::lock_guard l(mu_);
    knobs_.dropCommand = command;
    knobs_.dropCount = count;
}

void Kr7260Sim::setSplitReplies(bool on, int firstBytes, std::chrono::milliseconds gap)
{
    std::lock_guard l(mu_);
    knobs_.split = on;
    knobs_.splitFirst = firstBytes;
    knobs_.splitGap = gap;
}

void Kr7260Sim::setMergeReplies(bool on) { std::lock_guard l(mu_); knobs_.merge = on; }

void Kr7260Sim::setBadChecksum(std::uint8_t command, int count)
{
    std::lock_guard l(mu_);
    knobs_.badCommand = command;
    knobs_.badCount = count;
}

void Kr7260Sim::setWrongBlockAddress(int count) { std::lock_guard l(mu_); knobs_.wrongAddressCount = count; }
void Kr7260Sim::corruptReadBack(int address) { std::lock_guard l(mu_); knobs_.corruptAddresses.insert(address); }
void Kr7260Sim::setPrefixBytes(const std::vector<std::uint8_t>& bytes) { std::lock_guard l(mu_); knobs_.prefix = bytes; }

void Kr7260Sim::sendUnsolicited(const std::vector<std::uint8_t>& bytes)
{
    {
        std::lock_guard l(mu_);
        unsolicited_.push_back(bytes);
    }
    wake();
}

void Kr7260Sim::setPacing(int baud) { std::lock_guard l(mu_); knobs_.baud = baud > 0 ? baud : 0; }

void Kr7260Sim::closeLine()
{
    closeRequested_ = true;
    wake();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

// ---------------------------------------------------------------- radio thread

void Kr7260Sim::run()
{
    std::uint8_t buf[512];
    while (!stop_) {
        if (closeRequested_) {
            pty_.closeMaster();
            closed_ = true;
            return;
        }
        std::deque<std::vector<std::uint8_t>> out;
        Knobs k;
        {
            std::lock_guard l(mu_);
            out.swap(unsolicited_);
            k = knobs_;
        }
        for (auto& bytes : out)
            writeAll(bytes.data(), bytes.size(), k.baud);

        pollfd p[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        int r = ::poll(p, 2, 100);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (p[1].revents & POLLIN) {
            std::uint64_t v;
            [[maybe_unused]] auto rr = ::read(wakeFd_, &v, sizeof v);
        }
        if (p[0].revents & POLLIN) {
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) {
                bytesIn_ += static_cast<std::uint64_t>(n);
                handleBytes(buf, static_cast<std::size_t>(n), Clock::now());
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
        }
        if (p[0].revents & (POLLHUP | POLLERR | POLLNVAL) && !(p[0].revents & POLLIN))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));  // no slave open: do not spin
    }
}

void Kr7260Sim::handleBytes(const std::uint8_t* data, std::size_t n, Clock::time_point readAt)
{
    int baud;
    {
        std::lock_guard l(mu_);
        baud = knobs_.baud;
    }
    for (std::size_t i = 0; i < n && !stop_; ++i) {
        Clock::time_point arrival = readAt;
        if (baud) {
            // Each byte occupies the line for 10 bit times; a byte read now finished arriving
            // no earlier than one byte time after the previous one.
            rxClock_ = std::max(rxClock_, readAt) + byteTime(baud);
            arrival = rxClock_;
        }
        std::uint8_t b = data[i];
        rx_.push_back(b);
        if (rx_.size() > 64)
            rx_.erase(rx_.begin(), rx_.begin() + static_cast<long>(rx_.size() - 64));
        if (b != 0xCC || rx_.size() < 2)
            continue;
        std::uint8_t cmd = rx_[rx_.size() - 2];
        std::size_t len = cmd == 5 ? 21 : 7;
        if (rx_.size() < len) {
            ++rejected_;
            continue;
        }
        const std::uint8_t* f = rx_.data() + (rx_.size() - len);
        if (Checksum(f, len - 3) != f[len - 3]) {
            ++rejected_;
            continue;
        }
        if (baud)
            std::this_thread::sleep_until(arrival);
        std::vector<std::uint8_t> frame(f, f + len);
        rx_.clear();
        handleFrame(cmd, frame.data(), frame.size(), baud ? arrival : Clock::now());
    }
    Knobs k;
    {
        std::lock_guard l(mu_);
        k = knobs_;
    }
    flushHeld(k);
}

void Kr7260Sim::handleFrame(std::uint8_t command, const std::uint8_t* frame, std::size_t length, Clock::time_point at)
{
    Request req;
    req.at = at;
    req.replyEnd = at;
    req.command = command;
    req.frame.assign(frame, frame + length);
    std::vector<std::uint8_t> reply;
    Knobs k;
    std::size_t index;
    {
        std::lock_guard l(mu_);
        reply = answer(command, frame, length, req);
        k = knobs_;
        if (!reply.empty()) {
            ++replyNumber_;
            if (k.silent) {
                reply.clear();
            } else if (knobs_.dropNumbers.erase(replyNumber_)) {
                reply.clear();
            } else if (knobs_.dropCount != 0 && knobs_.dropCommand == command) {
                if (knobs_.dropCount > 0)
                    --knobs_.dropCount;
                reply.clear();
            } else if (knobs_.badCount != 0 && (knobs_.badCommand == 0 || knobs_.badCommand == command)) {
                if (knobs_.badCount > 0)
                    --knobs_.badCount;
                reply[reply.size() - 3] ^= 0x01;
            }
        }
        req.replied = !reply.empty();
        req.replyBytes = reply.size();
        index = log_.size();
        log_.push_back(req);
    }
    logChanged_.notify_all();
    if (reply.empty())
        return;
    sendReply(std::move(reply), k);
    if (held_.empty()) {
        std::lock_guard l(mu_);
        if (index < log_.size())
            log_[index].replyEnd = Clock::now();
    }
    logChanged_.notify_all();
}

// Called with mu_ held: applies the request to the radio's state and builds the reply.
std::vector<std::uint8_t> Kr7260Sim::answer(std::uint8_t command, const std::uint8_t* f, std::size_t length,
                                            Request& req)
{
    const int a = f[2] | (f[3] << 8);
    switch (command) {
    case 1:
        programMode_ = true;
        return Frame(1, {0, 0, 0, 0});
    case 2: {
        std::string v = version_.substr(0, 255);
        std::vector<std::uint8_t> p(v.begin(), v.end());
        p.push_back(static_cast<std::uint8_t>(v.size()));
        return Frame(2, p);
    }
    case 3:
        // Leaving program mode needs no answer: the program ignores any reply 3.
        programMode_ = false;
        return {};
    case 4: {
        const int addr = f[length - 5] | (f[length - 4] << 8);
        req.address = addr;
        if ((requireProgramMode_ && !programMode_) || addr > kWords - 8)
            return {};
        std::array<std::uint16_t, 8> w;
        for (int i = 0; i < 8; ++i)
            w[i] = mem_[addr + i];
        if (knobs_.corruptPendingBlocks.erase(addr)) {
            for (int i = 0; i < 8; ++i) {
                if (knobs_.corruptAddresses.erase(addr + i)) {
                    w[i] ^= 0x0001;
                    break;
                }
            }
        }
        int named = addr;
        if (knobs_.wrongAddressCount > 0) {
            --knobs_.wrongAddressCount;
            named = addr + 8;
        }
        std::vector<std::uint8_t> p;
        for (int i = 7; i >= 0; --i) {
            p.push_back(lo(w[i]));
            p.push_back(hi(w[i]));
        }
        p.push_back(lo(named));
        p.push_back(hi(named));
        return Frame(4, p);
    }
    case 5: {
        const int addr = f[16] | (f[17] << 8);
        req.address = addr;
        if ((requireProgramMode_ && !programMode_) || addr > kWords - 8)
            return {};
        for (int i = 0; i < 8; ++i) {
            const int pos = 2 * (7 - i);
            mem_[addr + i] = static_cast<std::uint16_t>(f[pos] | (f[pos + 1] << 8));
            if (knobs_.corruptAddresses.count(addr + i))
                knobs_.corruptPendingBlocks.insert(addr);
        }
        return Frame(5, {0, 0, lo(addr), hi(addr)});
    }
    case 6:
        req.address = a;
        if (a >= kWords)
            return {};
        return Frame(6, {lo(mem_[a]), hi(mem_[a]), lo(a), hi(a)});
    case 7: {
        req.address = a;
        if (a >= kWords)
            return {};
        const std::uint16_t v = static_cast<std::uint16_t>(f[0] | (f[1] << 8));
        mem_[a] = v;
        return Frame(7, {lo(v), hi(v), lo(a), hi(a)});
    }
    case 10: {
        const int s = f[2];
        req.address = s;
        if (s == 2) {
            mem_[1] = static_cast<std::uint16_t>((mem_[1] & 0x00FF) | (signal_ << 8));
            return Frame(10, {signal_, 0, 2, 0});
        }
        if (s == 3) {
            mem_[1] = static_cast<std::uint16_t>((mem_[1] & 0xFF00) | signal_);
            return Frame(10, {signal_, 0, 3, 0});
        }
        if (s == 6)
            return Frame(10, {busy_, rssi_, 6, 0});
        return {};
    }
    default:
        return {};
    }
}

void Kr7260Sim::sendReply(std::vector<std::uint8_t> bytes, const Knobs& k)
{
    if (k.delay.count() > 0) {
        const auto until = Clock::now() + k.delay;
        while (!stop_ && Clock::now() < until)
            std::this_thread::sleep_for(std::min<Clock::duration>(until - Clock::now(), std::chrono::milliseconds(10)));
    }
    if (!k.prefix.empty())
        bytes.insert(bytes.begin(), k.prefix.begin(), k.prefix.end());
    if (k.merge) {
        held_.insert(held_.end(), bytes.begin(), bytes.end());
        return;
    }
    if (k.split && bytes.size() > 1) {
        std::size_t first = k.splitFirst > 0 ? std::min<std::size_t>(k.splitFirst, bytes.size() - 1) : bytes.size() - 1;
        writeAll(bytes.data(), first, k.baud);
        std::this_thread::sleep_for(k.splitGap);
        writeAll(bytes.data() + first, bytes.size() - first, k.baud);
        return;
    }
    writeAll(bytes.data(), bytes.size(), k.baud);
}

void Kr7260Sim::flushHeld(const Knobs& k)
{
    if (held_.empty())
        return;
    std::vector<std::uint8_t> bytes;
    bytes.swap(held_);
    writeAll(bytes.data(), bytes.size(), k.baud);
    const auto now = Clock::now();
    {
        std::lock_guard l(mu_);
        for (auto it = log_.rbegin(); it != log_.rend() && it->replied && it->replyEnd == it->at; ++it)
            it->replyEnd = now;
    }
    logChanged_.notify_all();
}

bool Kr7260Sim::writeAll(const std::uint8_t* data, std::size_t n, int baud)
{
    std::size_t done = 0;
    while (done < n && !stop_) {
        std::size_t chunk = n - done;
        if (baud) {
            // One byte per slot; the byte is handed over when it has fully crossed the line.
            // Back-to-back bytes keep the schedule, so wake-up lateness does not add up.
            const auto now = Clock::now();
            if (now > txClock_ + byteTime(baud))
                txClock_ = now;
            txClock_ += byteTime(baud);
            std::this_thread::sleep_until(txClock_);
            chunk = 1;
        }
        // Counted before the write, so a reader that has the bytes also sees the count.
        bytesOut_ += chunk;
        ssize_t w = ::write(fd_, data + done, chunk);
        bytesOut_ -= chunk - static_cast<std::size_t>(w > 0 ? w : 0);
        if (w > 0) {
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 10);
            continue;
        }
        return false;
    }
    return done == n;
}

} // namespace testsupport
