// A byte buffer with bounds-checked accessors; big-endian 16-bit words.
#pragma once

#include <cstdint>

class EEbuffer {
public:
    explicit EEbuffer(int size);
    ~EEbuffer();
    EEbuffer(const EEbuffer&) = delete;
    EEbuffer& operator=(const EEbuffer&) = delete;

    int GetByte(int position);
    int SetByte(int position, int value);
    int GetWord(int position);
    int SetWord(int position, int value);
    int CopyOut(int position, std::uint8_t* dest, int count);
    int StoreInts(int position, const int* values, int count);
    int Fill(int value);
    int GetSize() const { return size; }
    // Bytes written, or -1; a failed save leaves any previous file as it was.
    int SaveToFile(const char* fileName);
    // Bytes read, or -1 (image untouched).
    int LoadFromFile(const char* fileName);

protected:
    std::uint8_t* data;
    int size;
    std::uint8_t* cursor;
};
