// Bounds-checked byte buffer and its raw file form.
#include "eebuff.h"

#include <platform/safefile.h>

#include <QFile>

#include <cstring>
#include <vector>

EEbuffer::EEbuffer(int size_)
    : data(nullptr), size(size_ > 0 ? size_ : 0), cursor(nullptr)
{
    if (size > 0) {
        data = new std::uint8_t[static_cast<std::size_t>(size)];
        std::memset(data, 0xFF, static_cast<std::size_t>(size));
    }
    cursor = data;
}

EEbuffer::~EEbuffer()
{
    delete[] data;
}

int EEbuffer::GetByte(int position)
{
    if (size == 0 || position < 0 || position >= size)
        return -1;
    cursor = data + position;
    return *cursor;
}

int EEbuffer::SetByte(int position, int value)
{
    if (size == 0 || position < 0 || position >= size)
        return -1;
    cursor = data + position;
    *cursor = static_cast<std::uint8_t>(value & 0xFF);
    return 0;
}

int EEbuffer::GetWord(int position)
{
    if (size == 0 || position < 0 || position >= size)
        return -1;
    const int even = position & ~1;
    if (even + 1 >= size) // odd-sized buffer: no low byte after the last even address
        return -1;
    cursor = data + even;
    return cursor[0] * 256 + cursor[1];
}

int EEbuffer::SetWord(int position, int value)
{
    if (size == 0 || position < 0 || position >= size)
        return -1;
    const int even = position & ~1;
    if (even + 1 >= size)
        return -1;
    cursor = data + even;
    cursor[0] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
    cursor[1] = static_cast<std::uint8_t>(value & 0xFF);
    return 0;
}

int EEbuffer::CopyOut(int position, std::uint8_t* dest, int count)
{
    if (position < 0 || dest == nullptr)
        return 0;
    int copied = 0;
    while (copied < count && position + copied < size) {
        cursor = data + position + copied;
        dest[copied] = *cursor;
        ++copied;
    }
    return copied;
}

int EEbuffer::StoreInts(int position, const int* values, int count)
{
    if (position < 0 || values == nullptr)
        return 0;
    int stored = 0;
    while (stored < count && position + stored < size) {
        cursor = data + position + stored;
        *cursor = static_cast<std::uint8_t>(values[stored] & 0xFF);
        ++stored;
    }
    return stored;
}

int EEbuffer::Fill(int value)
{
    if (size > 0)
        std::memset(data, value & 0xFF, static_cast<std::size_t>(size));
    cursor = data;
    return size;
}

int EEbuffer::SaveToFile(const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0' || size <= 0)
        return -1;
    const QByteArray bytes(reinterpret_cast<const char*>(data), size);
    if (platform::SaveFileReplacing(QFile::decodeName(fileName), bytes) != platform::SaveResult::Ok)
        return -1;
    return size;
}

int EEbuffer::LoadFromFile(const char* fileName)
{
    if (fileName == nullptr || *fileName == '\0')
        return -1;
    // A pipe or device is refused before open() could wait on it.
    QFile file(QFile::decodeName(fileName));
    if (!platform::IsRegularFile(file.fileName()) || !file.open(QIODevice::ReadOnly))
        return -1;
    // Read into a scratch copy first so a failed read leaves the image as it was.
    std::vector<char> scratch(static_cast<std::size_t>(size));
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(scratch.data() + got, size - got);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    Fill(0xFF);
    if (got > 0)
        std::memcpy(data, scratch.data(), static_cast<std::size_t>(got));
    return static_cast<int>(got);
}
