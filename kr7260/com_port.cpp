#include "com_port.h"
#include "ui_com_port.h"

#include "main.h"

#include <platform/serial_device.h>
#include <platform/window.h>

#include <QShowEvent>

TfrmPorts* frmPorts = nullptr;

TfrmPorts::TfrmPorts(QWidget* parent) : QDialog(parent), ui(new Ui::TfrmPorts)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint
                   | Qt::WindowStaysOnTopHint);
    setFixedSize(size());
    rbCom1 = ui->rbCom1;
    rbCom2 = ui->rbCom2;
    rbCom3 = ui->rbCom3;
    rbCom4 = ui->rbCom4;
    connect(ui->btnOK, &QPushButton::clicked, this, [this] {
        btnOKClick();
        accept();
    });
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmPorts::~TfrmPorts() { delete ui; }

void TfrmPorts::showEvent(QShowEvent* event)
{
    // Only the program's own showing: the window system's late show event must not
    // undo a choice already made.
    if (!event->spontaneous()) {
        platform::CentreOnScreen(this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfrmPorts::FormShow()
{
    // Each item's tooltip: the device behind the name now, or that there is none.
    QRadioButton* const items[] = {rbCom1, rbCom2, rbCom3, rbCom4};
    for (int n = 1; n <= 4; ++n)
        items[n - 1]->setToolTip(QString::fromStdString(platform::DescribePort("COM" + std::to_string(n))));
    const int port = MainForm ? MainForm->ComPortNumber : 1;
    switch (port) {
    case 2: rbCom2->setChecked(true); break;
    case 3: rbCom3->setChecked(true); break;
    case 4: rbCom4->setChecked(true); break;
    default: rbCom1->setChecked(true); break;
    }
}

void TfrmPorts::btnOKClick()
{
    int port = 1;
    if (rbCom1->isChecked())
        port = 1;
    else if (rbCom2->isChecked())
        port = 2;
    else if (rbCom3->isChecked())
        port = 3;
    else if (rbCom4->isChecked())
        port = 4;
    if (MainForm)
        MainForm->ComPortNumber = port;
}
