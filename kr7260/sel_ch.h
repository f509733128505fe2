// The channel pick list: the user chooses the number of a new spare channel. The channel
// data window fills and reads it.
#pragma once

#include <QDialog>

namespace Ui { class TfrmChannelSelect; }
class QComboBox;

class TfrmChannelSelect : public QDialog {
    Q_OBJECT
public:
    explicit TfrmChannelSelect(QWidget* parent = nullptr);
    ~TfrmChannelSelect() override;

    QComboBox* cmbChannelSelect;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Ui::TfrmChannelSelect* ui;
};

extern TfrmChannelSelect* frmChannelSelect;
