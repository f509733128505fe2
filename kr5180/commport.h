// The "Communication Parameters" dialog: picks the COM port of the main window's settings.
#pragma once

#include "main.h"

#include <QDialog>

namespace Ui { class TfrmCommPort; }

class TfrmCommPort : public QDialog {
    Q_OBJECT
public:
    static constexpr int BaudRates[4] = {4800, 9600, 19200, 38400};

    // settings: the caller's record, read now and written by OK (not owned).
    TfrmCommPort(QWidget* owner, PortSettings* settings);
    ~TfrmCommPort() override;

    void btnOKClick();
    void btnCancelClick();
    void btnDefaultsClick();

    // Closing by the title bar or Escape is Cancel (2).
    void reject() override;

    PortSettings* settings;
    int selectedPort;

private:
    Ui::TfrmCommPort* ui;
};
