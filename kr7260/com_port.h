// The port dialog: picks which of COM1 to COM4 the programming lead is on.
#pragma once

#include <QDialog>

namespace Ui { class TfrmPorts; }
class QRadioButton;

class TfrmPorts : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPorts(QWidget* parent = nullptr);
    ~TfrmPorts() override;

    void FormShow();
    void btnOKClick();

    QRadioButton* rbCom1;
    QRadioButton* rbCom2;
    QRadioButton* rbCom3;
    QRadioButton* rbCom4;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Ui::TfrmPorts* ui;
};

extern TfrmPorts* frmPorts;
