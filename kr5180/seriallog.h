// The "Serial Log" window: a memo with "Clear" and "Close".
#pragma once

#include <QDialog>

namespace Ui {
class TformSerialLog;
}

class TformSerialLog : public QDialog {
    Q_OBJECT
public:
    explicit TformSerialLog(QWidget* parent = nullptr);
    ~TformSerialLog() override;

    void btnClearClick();
    void btnCloseClick();

private:
    Ui::TformSerialLog* ui;
};

extern TformSerialLog* formSerialLog;
