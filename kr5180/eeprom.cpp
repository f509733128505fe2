// The radio's memory image: receive-only channels and packed six-bit text.
#include "eeprom.h"

EEPROM* eepromImage = nullptr;

int EEPROM::GetRxChannel(int index, RX_CH_DATA_STRUCT* record)
{
    if (record == nullptr || index < 0 || index >= ee::RxChannelCount)
        return -1;
    const int address = ee::RxChannels + 2 * index;
    if (address >= size)
        return -1;
    int word = GetWord(address);
    if (word < 0)
        return -1;
    if (word == 0xFFFF)
        word = 0;
    record->frequency = word * ee::ChannelStepHz;
    // The image holds no alpha tags: the channel words fill 216..255.
    record->tag.clear();
    return 0;
}

std::string EEPROM::GetAlphaTag(int position)
{
    const int high = GetWord(position);
    if (high < 0)
        return std::string();
    const int low = GetWord(position + 2);
    if (low < 0) // the second word lies past the image
        return std::string();
    const unsigned int value = (static_cast<unsigned int>(high) << 16) | static_cast<unsigned int>(low);
    return UnpackText6(value);
}

std::string EEPROM::UnpackText6(unsigned int value)
{
    char text[5];
    for (int k = 0; k < 5; ++k)
        text[4 - k] = static_cast<char>(((value >> (6 * k)) & 0x3F) + 32);
    int length = 0;
    while (length < 5 && text[length] != 0x40)
        ++length;
    return std::string(text, static_cast<std::size_t>(length));
}
