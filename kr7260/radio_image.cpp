#include "radio_image.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <platform/safefile.h>

#include <utility>

namespace kr72map {
QString ChannelName(int index)
{
    if (index >= 0 && index < CbChannelCount)
        return QStringLiteral("CB %1").arg(index + 1, 2, 10, QLatin1Char('0'));
    if (index >= CbChannelCount && index < ChannelIndexCount)
        return QStringLiteral("RX %1").arg(index + 1, 2, 10, QLatin1Char('0'));
    return QString();
}
} // namespace kr72map

namespace {
constexpr int FileBytes = kr72map::WordCount * 4;
inline bool inImage(int k) { return k >= 0 && k < kr72map::WordCount; }
} // namespace

TRadioImage::TRadioImage() = default;

std::int32_t TRadioImage::Get(int k) const
{
    if (!inImage(k))
        return 0;
    std::lock_guard lock(mutex_);
    return words_[k];
}

void TRadioImage::Set(int k, std::int32_t value)
{
    if (!inImage(k))
        return;
    std::lock_guard lock(mutex_);
    words_[k] = value;
}

void TRadioImage::SetHighByte(int k, std::uint8_t b)
{
    Modify(k, ~std::int32_t(0xFF00), std::int32_t(b) << 8);
}

void TRadioImage::SetLowByte(int k, std::uint8_t b)
{
    Modify(k, ~std::int32_t(0x00FF), std::int32_t(b));
}

void TRadioImage::Modify(int k, std::int32_t andMask, std::int32_t orMask)
{
    if (!inImage(k))
        return;
    std::lock_guard lock(mutex_);
    words_[k] = (words_[k] & andMask) | orMask;
}

void TRadioImage::ModifyLive(int k, std::int32_t andMask, std::int32_t orMask)
{
    if (!inImage(k))
        return;
    std::lock_guard lock(mutex_);
    if (liveGate_)
        words_[k] = (words_[k] & andMask) | orMask;
}

bool TRadioImage::SetLiveGate(bool open)
{
    std::lock_guard lock(mutex_);
    return std::exchange(liveGate_, open);
}

TRadioImage::Words TRadioImage::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return words_;
}

void TRadioImage::Assign(const Words& words)
{
    std::lock_guard lock(mutex_);
    words_ = words;
}

void TRadioImage::Fill(std::int32_t value)
{
    std::lock_guard lock(mutex_);
    words_.fill(value);
}

bool TRadioImage::GetMapBit(int base, int index) const
{
    if (index < 0 || index >= kr72map::BitmapBits)
        return false;
    return (Get(base + index / 16) & (1 << (index % 16))) != 0;
}

void TRadioImage::SetMapBit(int base, int index, bool on)
{
    if (index < 0 || index >= kr72map::BitmapBits)
        return;
    const std::int32_t mask = 1 << (index % 16);
    if (on)
        Modify(base + index / 16, ~std::int32_t(0), mask);
    else
        Modify(base + index / 16, ~mask, 0);
}

bool TRadioImage::SparePresent(int channel) const
{
    if (channel < kr72map::SpareFirst || channel > kr72map::SpareLast)
        return false;
    return Get(kr72map::SpareFreqWord(channel)) != 0;
}

TRadioImage::FileStatus TRadioImage::LoadFromFile(const QString& name)
{
    QFile file(name);
    // A folder, pipe or device is refused before open() could wait on it.
    if (!platform::IsRegularFile(name) || !file.open(QIODevice::ReadOnly))
        return FileStatus::CannotOpen;

    char bytes[FileBytes];
    qint64 got = 0;
    bool failed = false;
    while (got < FileBytes) {
        const qint64 n = file.read(bytes + got, FileBytes - got);
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0)
            break;
        got += n;
    }

    // Each byte read replaces its byte of the element; the rest stays as it was.
    {
        std::lock_guard lock(mutex_);
        for (qint64 i = 0; i < got; ++i) {
            const int k = int(i / 4);
            const int shift = int(i % 4) * 8;
            const auto word = static_cast<std::uint32_t>(words_[k]);
            const std::uint32_t mask = 0xFFu << shift;
            const std::uint32_t byte = std::uint32_t(static_cast<unsigned char>(bytes[i])) << shift;
            words_[k] = static_cast<std::int32_t>((word & ~mask) | byte);
        }
    }
    return failed ? FileStatus::ReadError : FileStatus::Ok;
}

TRadioImage::FileStatus TRadioImage::SaveToFile(const QString& name) const
{
    if (name.isEmpty() || QFileInfo(name).isDir())
        return FileStatus::CannotOpen;

    char bytes[FileBytes];
    {
        std::lock_guard lock(mutex_);
        for (int k = 0; k < kr72map::WordCount; ++k) {
            const auto v = static_cast<std::uint32_t>(words_[k]);
            for (int b = 0; b < 4; ++b)
                bytes[4 * k + b] = static_cast<char>((v >> (8 * b)) & 0xFF);
        }
    }

    switch (platform::SaveFileReplacing(name, QByteArray(bytes, FileBytes))) {
    case platform::SaveResult::Ok:
        return FileStatus::Ok;
    case platform::SaveResult::CannotCreate:
        return FileStatus::CannotOpen;
    default:
        return FileStatus::WriteError;
    }
}

QString TRadioImage::FileErrorText(FileStatus status)
{
    switch (status) {
    case FileStatus::ReadError:
        return QStringLiteral("There is a problem reading the file");
    case FileStatus::WriteError:
        return QStringLiteral("There is a problem writing the file");
    default:
        return QString();
    }
}
