// The page and alarm window: the channel, repeats, appended ANI and busy lockout of a
// page or alarm selcall, and the alarm output timing (standard, or on time, off time
// and cycles). Opened only from the selcall window, whose page and alarm-in settings
// decide which of its controls work.
#pragma once

#include "editor.h"

namespace Ui { class TfrmPageAlarm; }
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class TChannelCombo;
class TSelcallSettings;

class TfrmPageAlarm : public TEditorForm {
    Q_OBJECT
public:
    TfrmPageAlarm(QWidget* parent, const TSelcallSettings* selcall);
    ~TfrmPageAlarm() override;

    void rbAlarmStandardClick();
    void hsbAlarmOnChange(QObject* sender);
    void hsbPagerRptsChange();
    void FillChannelCombo(int index);

    // "300mSec", "15Sec", "9Minutes": an alarm time in units of 100 ms.
    static QString AlarmTimeText(int position);

    QLabel* lblPageChannel;
    QComboBox* cmbPageChannel;
    QCheckBox* chkPageAppendAni;
    QCheckBox* chkBlPage;
    QCheckBox* chkBlAlarm;
    QLabel* lblPagerRptslbl;
    QScrollBar* hsbPagerRpts;
    QLabel* lblPagerRpts;
    QLabel* lblAlarmRptslbl;
    QScrollBar* hsbAlarmRpts;
    QLabel* lblAlarmRpts;
    QGroupBox* gbAlarm;
    QRadioButton* rbAlarmStandard;
    QRadioButton* rbAlarmReset;
    QLabel* lblAlarmOn;
    QScrollBar* hsbAlarmOn;
    QLabel* lblAlarmOnValue;
    QLabel* lblAlarmOff;
    QScrollBar* hsbAlarmOff;
    QLabel* lblAlarmOffValue;
    QLabel* lblAlarmRepeats;
    QScrollBar* hsbAlarmRepeats;
    QLabel* lblAlarmRepeatsValue;
    QTextEdit* HelpText;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void LoadControls() override;
    void StoreControls() override;

private:
    Ui::TfrmPageAlarm* ui;
    const TSelcallSettings* selcall_;
    TChannelCombo* pageChannel_;
};

extern TfrmPageAlarm* frmPageAlarm;
