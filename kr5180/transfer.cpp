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

// Begin (range count x unit), then exchange(0), exchange(1), ... until one returns false,
// a step of unit after each; End. The number of exchanges that succeeded.
template <class Exchange>
int RunSteps(TTransferProgress* progress, const char* title, int count, int unit, Exchange exchange)
{
    if (progress)
        progress->Begin(title, count * unit);
    int done = 0;
    while (done < count && exchange(done)) {
        ++done;
        if (progress)
            progress->Step(unit);
    }
    if (progress)
        progress->End();
    return done;
}

} // namespace

TTransferResult TImageTransfer::ReadImage(EEPROM& image, bool needReset)
{
    TTransferResult result;
    EEPROM scratch(image.GetSize());
    CopyImage(image, scratch);

    radio->EnterProgMode();
    {
        ImageRedirect redirect(radio, &scratch);
        result.blocks = RunSteps(progress, "Reading from Radio", Blocks, BlockSize,
                                 [this](int n) { return radio->ReadBlock(n * BlockSize) == 0; });
    }
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
    result.blocks = RunSteps(progress, "Writing to Radio", Blocks, BlockSize, [&](int n) {
        std::uint8_t block[BlockSize];
        image.CopyOut(n * BlockSize, block, BlockSize);
        return radio->WriteBlock(n * BlockSize, block) == 0;
    });
    result.resetOk = radio->ResetRadio() == 0;
    return result;
}

bool TImageTransfer::ReadCalibration(EEPROM& image)
{
    const int read = RunSteps(progress, "Reading Calibration from Radio", ee::CalibrationWords, 1, [&](int n) {
        const int address = ee::CalibrationStart + 2 * n;
        int value = 0;
        if (radio->ReadWord(address, &value) != 0)
            return false;
        image.SetWord(address, value);
        return true;
    });
    return read == ee::CalibrationWords;
}
