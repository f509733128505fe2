#include "commport.h"
#include "ui_commport.h"

#include <platform/serial_device.h>
#include <platform/window.h>

TfrmCommPort::TfrmCommPort(QWidget* owner, PortSettings* settings_)
    : QDialog(owner), settings(settings_), selectedPort(1), ui(new Ui::TfrmCommPort)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    selectedPort = settings->portNumber;
    if (selectedPort < 1 || selectedPort > 8)
        selectedPort = 1;

    ui->comboPortName->clear();
    for (int n = 1; n <= 8; ++n) {
        ui->comboPortName->addItem(QString::fromLatin1(PortNames[n]));
        // The device behind the name, or that there is none.
        ui->comboPortName->setItemData(n - 1, QString::fromStdString(platform::DescribePort(PortNames[n])),
                                       Qt::ToolTipRole);
    }
    ui->comboPortName->setCurrentIndex(selectedPort - 1);

    ui->comboBaud->clear();
    for (int rate : BaudRates)
        ui->comboBaud->addItem(QString::number(rate));
    int baudIndex = 1;
    switch (settings->baudRate) {
    case 4800: baudIndex = 0; break;
    case 9600: baudIndex = 1; break;
    case 19200: baudIndex = 2; break;
    case 38400: baudIndex = 3; break;
    default: break;
    }
    ui->comboBaud->setCurrentIndex(baudIndex);

    // The line always runs at 9600 baud: the baud list is kept but not offered.
    ui->Label2->hide();
    ui->comboBaud->hide();

    platform::FitCaption(this);

    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmCommPort::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TfrmCommPort::btnCancelClick);
    connect(ui->btnDefaults, &QPushButton::clicked, this, &TfrmCommPort::btnDefaultsClick);
}

TfrmCommPort::~TfrmCommPort()
{
    delete ui;
}

void TfrmCommPort::btnOKClick()
{
    selectedPort = ui->comboPortName->currentIndex() + 1; // 0 when nothing is selected
    settings->portNumber = selectedPort;
    settings->baudRate = 9600;
    done(1);
}

void TfrmCommPort::btnCancelClick()
{
    done(2);
}

void TfrmCommPort::reject()
{
    done(2);
}

void TfrmCommPort::btnDefaultsClick()
{
    ui->comboPortName->setCurrentIndex(0);
    ui->comboBaud->setCurrentIndex(1);
}
