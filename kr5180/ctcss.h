// The "CTCSS Setup" dialog: CTCSS on or off, on duplex channels, narrow band, busy
// lockout and its override, the tone set (50 tones or the 38-tone CCIR set), the tone of
// the CB channels and CB channels 1 to 40 of the silent channel memories.
#pragma once

#include "editor.h"

namespace Ui { class TfrmCtcss; }
class QComboBox;
class TChannelChecks;

// Tone number 1..50 in Hz; entry 0 stands for off.
extern const float ToneTable[51];
// Position 0..38 of the CCIR set: its tone number in ToneTable.
extern const int CcirToneIndex[39];

class TfrmCtcss : public TImageEditor {
    Q_OBJECT
public:
    explicit TfrmCtcss(QWidget* parent = nullptr);
    ~TfrmCtcss() override;

    void FormCreate();
    void chkEnableCbCtcssClick();
    void cbCTCSSToneSetChange();

    TChannelChecks* SilentBoxes = nullptr;

protected:
    void LoadControls() override;
    void StoreControls() override;

private:
    bool CcirSet() const;
    void FillToneList(QComboBox* box);

    Ui::TfrmCtcss* ui;
};

extern TfrmCtcss* frmCtcss;
