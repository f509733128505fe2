// The development window: a bench-test panel that sends single radio commands at once
// (DACs, frequency, PTT, squelch, tones, auto-align, LCD test, memory peek and poke).
#pragma once

#include <QDialog>

class EEPROM;
class KR5100;
class QLineEdit;
class QTimer;
class TUpDown;

namespace Ui {
class TfrmEngineering;
}

class TfrmEngineering : public QDialog {
    Q_OBJECT
public:
    // radio: the command object every action goes through; image: where the PLL
    // reference and IF offset are shown from. Neither is owned.
    TfrmEngineering(KR5100* radio, EEPROM* image, QWidget* parent = nullptr);
    ~TfrmEngineering() override;

    void SetRadio(KR5100* radio) { radio_ = radio; }
    void SetImage(EEPROM* image) { image_ = image; }

    // Handlers.
    void FormCreate();
    void FormShow();
    void ShowFrequency();
    void TuneFrequency();
    int GetFreqStep() const;
    void btnFreqIncMouseDown();
    void btnFreqDecMouseDown();
    void btnFreqIncMouseUp();
    void TimerKeyHeldTimer();
    void btn_450Click();
    void btn_477Click();
    void btn_504Click();
    void btnRefreshPLLClick();
    void udDAC_0Click(TUpDown* upDown);
    // False when the key is discarded.
    bool editDAC_0KeyPress(QLineEdit* edit, QChar key);
    void btnReadDACClick();
    void btnPTTClick();
    void ShowTxRx();
    void btnSquelchClick();
    void btnSetChannelClick();
    void btnCTCSSClick();
    void btnBeepMouseDown();
    void btnBeepMouseUp();
    void btnAutoAlignClick();
    void btnWriteLCDClick();
    void btnMemWriteClick();
    void btnMemReadClick();
    void chkTestModeClick();
    void btnResetClick();
    void btnCloseClick();
    // Window message 2027.
    void RadioNotify(int wParam, int lParam);

    int Frequency() const { return frequency; }
    bool Transmitting() const { return transmitting; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void MakeDacRows();
    void StepFrequency(int direction);
    // A step, tuned and shown, and the repeat timer started at its first delay.
    void StartRepeat(int direction);
    // Tuned and shown.
    void GoToFrequency(int hz);

    Ui::TfrmEngineering* ui;
    KR5100* radio_;
    EEPROM* image_;
    QTimer* TimerKeyHeld;
    TUpDown* udDAC[8] = {};
    QLineEdit* editDAC[8] = {};

    int frequency = 0;       // Hz
    int repeatDirection = 0; // +1 after "+", -1 after "-"
    bool transmitting = false;
    bool squelchOn = false;
    bool beepOn = false;     // "Beep Test" held down
};

extern TfrmEngineering* frmEngineering;
