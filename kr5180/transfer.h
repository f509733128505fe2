// Whole-image and calibration transfers with the radio, without widgets: the exchanges run
// through KR5100 on the calling thread and report their progress through TTransferProgress.
// The main window and the EEPROM editor are views over it.
#pragma once

#include "wire.h"

class EEPROM;
class KR5100;

// What a transfer shows while it runs; every call is made on the transfer's thread.
class TTransferProgress {
public:
    virtual ~TTransferProgress() = default;
    virtual void Begin(const char* title, int max) = 0; // range 0..max, position 0, shown
    virtual void Step(int n) = 0;
    virtual void End() = 0;
};

struct TTransferResult {
    int blocks = 0;       // blocks the radio answered, in order from address 0
    bool resetOk = false; // the final reset was answered
    bool Whole() const;   // all sixteen blocks
    bool Ok() const { return Whole() && resetOk; }
};

class TImageTransfer {
public:
    static constexpr int BlockSize = wire::BlockBytes;
    static constexpr int Blocks = 16;

    // progress may be null.
    TImageTransfer(KR5100* radio, TTransferProgress* progress);

    // Program mode, sixteen block reads, reset. The blocks go into a scratch copy of image;
    // image takes them only when all sixteen arrived (and, with needReset, the reset was
    // answered too), so a read that fails part-way leaves image as it was.
    TTransferResult ReadImage(EEPROM& image, bool needReset);
    // Program mode, test mode (testMode), sixteen block writes from image, reset. The first
    // block the radio does not take ends the blocks.
    TTransferResult WriteImage(EEPROM& image, int testMode);
    // The fourteen calibration words, 0 to 26, into image; false when one failed (the
    // words read before it stay). No program mode or reset around it.
    bool ReadCalibration(EEPROM& image);

private:
    KR5100* radio;
    TTransferProgress* progress;
};
