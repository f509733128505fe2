// The radio options window: the transmit time-out timer, the front-panel buttons that
// are disabled, the fixed channel used with the channel switch disabled, the scrambler
// bits and PTT on CH22/CH23.
#pragma once

#include "editor.h"

namespace Ui { class TfrmOptions; }
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class TChannelCombo;

class TfrmOptions : public TEditorForm {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* parent = nullptr);
    ~TfrmOptions() override;

    void FormCreate();
    void chkTotEnabledClick();
    void hsbTotChange(QObject* sender);
    void chkDisableChannelClick();
    void chkScramblerFittedClick();

    QCheckBox* chkTotEnabled;
    QLabel* lblTot;
    QScrollBar* hsbTot;
    QLabel* lblTotValue;
    QCheckBox* chkDisableChannel;
    QCheckBox* chkDisablePtt;
    QCheckBox* chkDisableF;
    QCheckBox* chkDisableDup;
    QCheckBox* chkDisableScan;
    QCheckBox* chkDisableQuiet;
    QCheckBox* chkDisableOsgs;
    QCheckBox* chkDisableCall;
    QLabel* lblLastChannel;
    QComboBox* cmbLastChannel;
    QCheckBox* chkEnablePttCh22Ch23;
    QGroupBox* gbScrambler;
    QCheckBox* chkScramblerFitted;
    QCheckBox* chkScrambleEmergency;
    QTextEdit* HelpText;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void LoadControls() override;
    void StoreControls() override;

private:
    Ui::TfrmOptions* ui;
    TChannelCombo* lastChannel_;
};

extern TfrmOptions* frmOptions;
