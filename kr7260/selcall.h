// The selcall options window: the decoder and encoder options, group calls, lead-in
// delay and tone, page and alarm-in enabling and the quiet memory of CB channels 1 to
// 40. It opens the selcall idents and the page and alarm windows modally.
#pragma once

#include "editor.h"

namespace Ui { class TfrmSelcall; }
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class TChannelChecks;

// What the selcall window's children read of its controls while it is open, as the
// user has set them (stored or not).
class TSelcallSettings {
public:
    virtual ~TSelcallSettings() = default;
    // cmbTxGroup: 0 no group calls, 1 up to 10, 2 up to 100.
    virtual int TxGroupIndex() const = 0;
    virtual bool PageEnabled() const = 0;
    virtual bool AlarmInEnabled() const = 0;
};

class TfrmSelcall : public TEditorForm, public TSelcallSettings {
    Q_OBJECT
public:
    explicit TfrmSelcall(QWidget* parent = nullptr);
    ~TfrmSelcall() override;

    // The two windows the buttons open (either may be null).
    void Attach(TEditorForm* idents, TEditorForm* pageAlarm);

    int TxGroupIndex() const override;
    bool PageEnabled() const override;
    bool AlarmInEnabled() const override;

    void chkSelcallDecEnabledClick();
    void hsbLeadInDelayChange();
    void btnQSelectAllClick(QObject* sender);
    void btnSelcallMemClick();
    void btnPageAlarmClick();

    QCheckBox* chkSelcallDecEnabled;
    QCheckBox* chkClearQuiet;
    QCheckBox* chkPageEnabled;
    QCheckBox* chkAlarmInEnable;
    QPushButton* btnSelcallMem;
    QPushButton* btnPageAlarm;
    QCheckBox* chkUnmuteOnSelcall;
    QCheckBox* chkRx5Ani;
    QCheckBox* chkReenterQuiet;
    QCheckBox* chkBeepAckEnabled;
    QCheckBox* chkBeepAlarms;
    QComboBox* cmbRxGroup;
    QCheckBox* chkAppendAni;
    QCheckBox* chkTx5Ani;
    QLabel* lblLeadInDelayl;
    QScrollBar* hsbLeadInDelay;
    QLabel* lblLeadInDelay;
    QCheckBox* chkLeadInToneEnabled;
    QComboBox* cmbTxGroup;
    QGroupBox* gbQuiet;
    TChannelChecks* Quiet; // chkQ1..chkQ40
    QPushButton* btnQSelectAll;
    QPushButton* btnQDeselectAll;
    QTextEdit* HelpText;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void LoadControls() override;
    void StoreControls() override;

private:
    // Shows a child on this window's image, then takes words 3 to 6 from the image
    // again; the controls keep what the user has set.
    void OpenChild(TEditorForm* child);

    Ui::TfrmSelcall* ui;
    TEditorForm* idents_ = nullptr;
    TEditorForm* pageAlarm_ = nullptr;
};

extern TfrmSelcall* frmSelcall;
