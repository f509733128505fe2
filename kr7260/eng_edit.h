// The engineering window: the factory options of the image, the CTCSS detector
// constants, and a list of every image word with single-word reads and writes on the
// radio. Present but not reachable in the delivered program.
#pragma once

#include "editor.h"
#include "link_refs.h"

#include <cstdint>

namespace Ui { class TfrmEngineering; }
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTableWidget;
class QTabWidget;
class QTimer;

// CTCSS detector thresholds: a word as a percentage of correlator x 8 and back, each
// rounded half up. The percentage needs a correlator above 0.
int CtcssWordToPercent(std::int32_t word, int correlator);
std::int32_t CtcssPercentToWord(int percent, int correlator);

// Link: the link that carries the single-word exchange (its WaitingForWord, WordAddress
// and WordValue are shared with the parser thread); Transfers: the builders.
class TfrmEngineering : public TEditorForm, public TLinkRefs {
    Q_OBJECT
public:
    explicit TfrmEngineering(QWidget* parent = nullptr);
    ~TfrmEngineering() override;

    // Handlers.
    void FormCreate();
    void hsbPowerDownDelayChange();
    void FillEepromGrid();
    void eeprom_listClick();
    void btnReadLocationClick();
    void btnWriteLocationClick(QObject* sender);
    void Timer1Timer();
    void EnableLocationEdits(bool flag);

    QTabWidget* pageEngineering;
    QWidget* tabOptions;
    QWidget* tabEeprom;
    QRadioButton* rbAlps;
    QRadioButton* rbTocos;
    QRadioButton* rbKr71;
    QCheckBox* chkChannelSw;
    QCheckBox* chkAudioIcPdEnable;
    QCheckBox* chkFreqStep;
    QCheckBox* chkHiDcEnable;
    QCheckBox* chkTxLockEnable;
    QComboBox* cmbScanSpeed;
    QCheckBox* chkScanSpeedChange;
    QCheckBox* chkCtcssOnEmergency;
    QScrollBar* hsbPowerDownDelay;
    QScrollBar* hsbTxDelay;
    QLabel* lblPowerDownDelayValue;
    QLabel* lblTxDelayValue;
    QLineEdit* txtFilter;
    QLineEdit* txtInit;
    QLineEdit* txtCorr;
    QLineEdit* txtOn;
    QLineEdit* txtOff;
    QLineEdit* txtQ;
    QLineEdit* txtFr;
    QTableWidget* eeprom_list;
    QLineEdit* txtLocation;
    QLineEdit* txtDataHex;
    QLineEdit* txtData;
    QPushButton* btnReadLocation;
    QPushButton* btnWriteLocation;
    QPushButton* btnWriteHex;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QTimer* Timer1;

protected:
    void LoadControls() override;
    bool CheckControls() override;
    void StoreControls() override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entries {
        int filter, init, corr, on, off, q, fr;
    };
    bool ReadEntries(Entries& e, bool report) const;
    void SendWordRequest(bool write);
    void ShowRow(int word, std::int32_t value);

    Ui::TfrmEngineering* ui;
    // The detector entries as shown, so an untouched pair keeps its words.
    QString shownCorr_, shownOn_, shownOff_;
};

extern TfrmEngineering* frmEngineering;
