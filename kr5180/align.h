// The alignment window: the service technician's live calibration bench. Every change of
// a calibration value goes into the image and, unless offline, to the radio at once; the
// window also steps channels, tunes the alignment frequencies, keys the transmitter,
// toggles the squelch, polls the RSSI and calibrates the S-meter.
#pragma once

#include <QDialog>
#include <QString>

namespace Ui { class TformAlign; }
class EEPROM;
class KR5100;
class QSpinBox;
class QTimer;
class QShowEvent;

class TformAlign : public QDialog {
    Q_OBJECT
public:
    // radio and image are not owned; they must outlive the window.
    TformAlign(KR5100* radio, EEPROM* image, QWidget* parent = nullptr);
    ~TformAlign() override;

    // Online or offline for the next showing.
    void SetOffline(int flag);

    // Event handlers.
    void FormCreate();
    void FormShow();
    void FormClose();
    void btnCloseClick();
    void PageControl1Change();
    void BitBtnUpMouseDown(int tag);
    void BitBtnUpMouseUp();
    void KeyTimerTimer();
    void udAlignClick(QSpinBox* upDown);
    void btnPTTClick();
    void btnSquelchClick();
    void rgAlignFreqClick();
    void chk_rssipollingClick();
    void chk_rssipolling2Click();
    void TimerRSSITimer();
    void btnSetS1Click();
    void btnSetS10Click();
    void btnSetDefaultsClick(QObject* sender);

    // Window state.
    unsigned frequencyHz = 0;
    int keyDirection = 1;
    unsigned char squelchState = 0;
    bool transmitting = false;
    int rssiChannel = 3;
    int pollMode = 1;
    bool offline = false;
    QString defaultFileName;

    QTimer* TimerRSSI;
    QTimer* KeyTimer;

    // Index of the chosen alignment frequency, -1 for none.
    int AlignFreqIndex() const;
    void SetAlignFreqIndex(int index);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void SetControlTags();
    void ShowChannel(int code);
    void ChannelToFrequency(int code);
    void ShowFrequency();
    void ShowBusy();
    void ShowTxRx();
    void ChannelUpDown(int direction);
    void StartRssiPolling(int index);
    void StopRssiPolling();
    void StopPollingAndUncheck();
    void CalibrateSMeter(int which);
    bool ReadDefaultFile(unsigned char* bytes);
    void LoadUpDowns();
    void SetUpDown(QSpinBox* upDown, int value);
    QSpinBox* UpDownFor(int address) const;
    void WriteError();

    Ui::TformAlign* ui;
    KR5100* radio;
    EEPROM* image;
    bool loading = false;
};

extern TformAlign* formAlign;
