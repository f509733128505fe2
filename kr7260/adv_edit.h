// The squelch and S-meter window: mute timing and levels, the S-meter's S1 and S9+
// calibration on the radio, live busy and RSSI readings, and the default S-meter levels.
#pragma once

#include "editor.h"
#include "link_refs.h"

#include <QPointer>
#include <cstdint>

namespace Ui { class TfrmAdvanced; }
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTimer;

// One squelch slope byte: (m x 10) div (threshold - tight), m = 255 - pot x 255 div 100,
// taken modulo 256; a threshold below its tight level gives 0, one equal to it 255.
std::uint8_t SquelchSlope(int potPercent, int threshold, int tight);

// Link: the link whose replies and live levels the window shows; Transfers: the
// transfer dialog whose builders and transfers it uses.
class TfrmAdvanced : public TEditorForm, public TLinkRefs {
    Q_OBJECT
public:
    explicit TfrmAdvanced(QWidget* parent = nullptr);
    ~TfrmAdvanced() override;

    // Handlers.
    void FormCreate();
    void hsbPSHoldOnTimeChange();
    void hsbSqlOpenTightChange();
    void btnS0Click(QObject* sender);
    void Button1Click();
    void Timer1Timer();
    void btnSMeterDefaultsClick();
    // A live S-meter reply (sub-code 2: S1 level, 3: S9+ level), on this thread.
    void SMeterReply(int subCode, int value);

    QTabWidget* pageEngOptions;
    QWidget* tabSquelch;
    QScrollBar* hsbMuteOffDebounce;
    QScrollBar* hsbMuteIgnore;
    QScrollBar* hsbMuteOnDebounce;
    QScrollBar* hsbSqlOpenTight;
    QScrollBar* hsbSqlOpenThreshold;
    QScrollBar* hsbSqlCloseTight;
    QScrollBar* hsbSqlCloseThreshold;
    QScrollBar* hsbSqlPotThreshold;
    QLabel* lblMuteOffDebounceValue;
    QLabel* lblMuteIgnoreValue;
    QLabel* lblMuteOnDebounceValue;
    QLabel* lblSqlOpenTight;
    QLabel* lblSqlOpenThreshold;
    QLabel* lblSqlCloseTight;
    QLabel* lblSqlCloseThreshold;
    QLabel* lblSqlPotThreshold;
    QCheckBox* chkSMeterEnabled;
    QLineEdit* txtS0;
    QLineEdit* txtS9;
    QLabel* lblBusyVoltage;
    QLabel* lblRssi;
    QPushButton* btnS0;
    QPushButton* btnS9;
    QPushButton* btnSMeterDefaults;
    QPushButton* Button1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QTimer* Timer1;

protected:
    void LoadControls() override;
    void StoreControls() override;
    void done(int result) override;

private:
    void ConnectLink();
    bool LoadDefaultFile();
    void RunTransfer(TfrmReadWrite& dialog, int mode, int start, int end, int showResult);
    void ShowLevels(std::int32_t word1);

    Ui::TfrmAdvanced* ui;
    QPointer<TfrmSerial> connectedLink_;
};

extern TfrmAdvanced* frmAdvanced;
