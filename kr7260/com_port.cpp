#include "com_port.h"
#include "ui_com_port.h"

#include "main.h"

#include <QGuiApplication>
#include <QScreen>

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
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormShow();
    QDialog::showEvent(event);
}

void TfrmPorts::FormShow()
{
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
