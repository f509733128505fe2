// The CTCSS window: CTCSS operation on the CB channels, the receive and transmit tones,
// the CTCSS option bits and the silent (CTCSS) memory of channels 1 to 40.
#pragma once

#include "editor.h"

#include <optional>

namespace Ui { class TfrmCtcss; }
class QCheckBox;
class QComboBox;
class QPushButton;
class TChannelChecks;

class TfrmCtcss : public TEditorForm {
    Q_OBJECT
public:
    explicit TfrmCtcss(QWidget* parent = nullptr);
    ~TfrmCtcss() override;

    void FormCreate();
    void chkEnableCbCtcssClick();
    void chkCtcssOnDupClick();
    void UpdateDuplexCtcssBoxes();
    void btnCtcssSelectAllClick(QObject* sender);

    QCheckBox* chkEnableCbCtcss;
    QCheckBox* chkCtcssRpkEnabled;
    QCheckBox* chkBlOverideEnable;
    QCheckBox* chkClearPrivOnPri;
    QCheckBox* chkCbBusyLockout;
    QCheckBox* chkCtcssNb;
    QCheckBox* chkEnableCtcssEdit;
    QCheckBox* chkCtcssOnDup;
    QComboBox* cmbRxCtcss;
    QComboBox* cmbTxCtcss;
    TChannelChecks* Silent; // chkCtcss1..chkCtcss40
    QPushButton* btnCtcssSelectAll;
    QPushButton* btnCtcssDeselectAll;
    QTextEdit* HelpText;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void LoadControls() override;

private:
    // Word 4 bit 0x0002: CTCSS allowed on CB channels 5 and 35.
    bool Ctcss5And35() const;
    // The code of a tone combo's text; a text that is no tone is refused with a message.
    std::optional<int> ToneCode(QComboBox* combo);

    Ui::TfrmCtcss* ui;
};

extern TfrmCtcss* frmCtcss;
