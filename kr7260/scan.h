// The scan and duplex window: the open and group scan memories of CB channels 1 to 40,
// the duplex channels 1 to 8, the priority channel, the priority check rate and the
// group scan button options.
#pragma once

#include "editor.h"

namespace Ui { class TfrmScan; }
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollBar;
class TChannelChecks;
class TChannelCombo;

class TfrmScan : public TEditorForm {
    Q_OBJECT
public:
    explicit TfrmScan(QWidget* parent = nullptr);
    ~TfrmScan() override;

    void FormCreate();
    void hsbPriCheckRateChange();
    void chk2ndOpenScanClick();

    QCheckBox* chk3Beep;
    QLabel* lblPriCheck;
    QScrollBar* hsbPriCheckRate;
    QLabel* lblPriCheckRate;
    QComboBox* cmbRecallM1;
    QCheckBox* chk2ndOpenScan;
    TChannelChecks* Duplex;     // chkDup1..chkDup8
    TChannelChecks* GroupScan;  // chkGs1..chkGs40
    TChannelChecks* OpenScan;   // chkOs1..chkOs40
    QTextEdit* HelpText;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void LoadControls() override;

private:
    Ui::TfrmScan* ui;
    TChannelCombo* recall_;
};

extern TfrmScan* frmScan;
