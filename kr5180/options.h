// The "Radio Options" dialog: the transmit time-out (0 to 180 s, 0 = off) and PTT on
// CH22/23. Bytes 30 and 34 to 41 are read as one block and go back as read but for the
// PTT bit.
#pragma once

#include "editor.h"

#include <cstdint>

namespace Ui { class TfrmOptions; }

class TfrmOptions : public TImageEditor {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* parent = nullptr);
    ~TfrmOptions() override;

    // Byte 30 as read, all bits inverted; stored inverted again.
    std::uint8_t Byte30Inverted = 0;

protected:
    void LoadControls() override;
    void StoreControls() override;

private:
    Ui::TfrmOptions* ui;
};

extern TfrmOptions* frmOptions;
