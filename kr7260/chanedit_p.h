// The channel editor: the receive frequency of one spare channel (41..60) and its open
// scan, group scan and quiet memory bits. The channel data window sets ChannelIndex and
// the channel number label, then shows it; OK stores straight into the image.
#pragma once

#include "editor.h"

namespace Ui { class TfrmEditChannel2; }
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmEditChannel2 : public TEditorForm {
    Q_OBJECT
public:
    explicit TfrmEditChannel2(QWidget* parent = nullptr);
    ~TfrmEditChannel2() override;

    int ChannelIndex = 0; // spare channel number - 41

    // The accepted frequency and the three memory bits into the image.
    void StoreChannel();

    QLabel* lblChannelNumber;
    QLineEdit* txtRxFreq;
    QCheckBox* chkOsMem;
    QCheckBox* chkGsMem;
    QCheckBox* chkQMem;
    QTextEdit* HelpText;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void LoadControls() override;    // FormShow
    bool CheckControls() override;   // FormCloseQuery on OK
    void StoreControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // txtRxFreqKeyPress: digits and backspace pass, other typed keys are dropped with a beep.
    bool txtRxFreqKeyPress(const QKeyEvent& key);

    Ui::TfrmEditChannel2* ui;
    int word_ = 0; // the word CheckControls accepted
};

extern TfrmEditChannel2* frmEditChannel2;
