// The "Squelch" dialog: the squelch level 1 to 9, the mute open debounce time and the
// minimum mute open time (held in units of 10 ms, shown in ms).
#pragma once

#include "editor.h"

namespace Ui { class TfrmSquelch; }

class TfrmSquelch : public TImageEditor {
    Q_OBJECT
public:
    explicit TfrmSquelch(QWidget* parent = nullptr);
    ~TfrmSquelch() override;

private:
    Ui::TfrmSquelch* ui;
};

extern TfrmSquelch* frmSquelch;
