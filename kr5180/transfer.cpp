#include "transfer.h"

#include "eeprom.h"
#include "radio.h"

#include <cstdint>

bool TTransferResult::Whole() const
{
    return blocks == TImageTransfer::Blocks;
}

TImageTransfer::TImageTransfer(KR5100* radio, TTransferProgress* progress) : radio(radio), progress(progress) {}

namespace {

// Points the command object's image at another buffer for the length of a scope.
class ImageRedirect {
public:
    ImageRedirect(KR5100* radio, EEPROM* image) : radio(radio), saved(radio->image) { radio->image = image; }
    ~ImageRedirect() { radio->image = saved; }
    ImageRedirect(const ImageRedirect&) = delete;
    ImageRedirect& operator=(const ImageRedirect&) = delete;

private:
    KR5100* radio;
    EEPROM* saved;
};

void CopyImage(EEPROM& from, EEPROM& to)
{
    const int n = from.GetSize() < to.GetSize() ? from.GetSize() : to.GetSize();
    for (int i = 0; i < n; ++i)
        to.SetByte(i, from.GetByte(i));
}

} // namespace

TTransferResult TImageTransfer::ReadImage(EEPROM& image, bool needReset)
{
    TTransferResult result;
    EEPROM scratch(image.GetSize());
    CopyImage(image, scratch);

    radio->EnterProgMode();
    if (progress)
        progress->Begin("Reading from Radio", Blocks * BlockSize);
    {
        ImageRedirect redirect(radio, &scratch);
        for (int address = 0; address < Blocks * BlockSize; address += BlockSize) {
            if (radio->ReadBlock(address) != 0)
                break;
            ++result.blocks;
            if (progress)
                progress->Step(BlockSize);
        }
    }
    if (progress)
        progress->End();
    result.resetOk = radio->ResetRadio() == 0;

    if (result.Whole() && (result.resetOk || !needReset))
        CopyImage(scratch, image);
    return result;
}

TTransferResult TImageTransfer::WriteImage(EEPROM& image, int testMode)
{
    TTransferResult result;
    radio->EnterProgMode();
    radio->SetTestMode(testMode);
    if (progress)
        progress->Begin("Writing to Radio", Blocks * BlockSize);
    for (int address = 0; address < Blocks * BlockSize; address += BlockSize) {
        std::uint8_t block[BlockSize];
        image.CopyOut(address, block, BlockSize);
        if (radio->WriteBlock(address, block) != 0)
            break;
        ++result.blocks;
        if (progress)
            progress->Step(BlockSize);
    }
    if (progress)
        progress->End();
    result.resetOk = radio->ResetRadio() == 0;
    return result;
}

bool TImageTransfer::ReadCalibration(EEPROM& image)
{
    bool ok = true;
    if (progress)
        progress->Begin("Reading Calibration from Radio", ee::CalibrationWords);
    for (int address = ee::CalibrationStart; address < ee::CalibrationStart + 2 * ee::CalibrationWords;
         address += 2) {
        int value = 0;
        if (radio->ReadWord(address, &value) != 0) {
            ok = false;
            break;
        }
        image.SetWord(address, value);
        if (progress)
            progress->Step(1);
    }
    if (progress)
        progress->End();
    return ok;
}
