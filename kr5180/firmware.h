// The "Firmware Version" box: four value lines, emptied at each showing.
#pragma once

#include <QDialog>

namespace Ui {
class TfrmFirmware;
}

class TfrmFirmware : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFirmware(QWidget* parent = nullptr);
    ~TfrmFirmware() override;

    void FormShow();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    Ui::TfrmFirmware* ui;
};

extern TfrmFirmware* frmFirmware;
