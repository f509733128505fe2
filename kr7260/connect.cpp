#include "connect.h"
#include "ui_connect.h"

#include "kr72wire.h"
#include "main.h"
#include "radio_rw.h"
#include "ser_com.h"

#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

TfrmConnectRadio* frmConnectRadio = nullptr;

TfrmConnectRadio::TfrmConnectRadio(QWidget* parent) : QDialog(parent), ui(new Ui::TfrmConnectRadio)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    lblInformation = ui->lblInformation;
    btnCancel = ui->btnCancel;
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(TickMs);
    connect(Timer1, &QTimer::timeout, this, &TfrmConnectRadio::Timer1Timer);
}

TfrmConnectRadio::~TfrmConnectRadio()
{
    if (frmConnectRadio == this)
        frmConnectRadio = nullptr;
    delete ui;
}

void TfrmConnectRadio::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmConnectRadio::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TfrmConnectRadio::FormShow()
{
    Timer1->start();
    ConnectPhase = PhaseSend;
    ConnectTries = 0;
}

void TfrmConnectRadio::FormClose() { Timer1->stop(); }

void TfrmConnectRadio::Timer1Timer()
{
    TfrmSerial* l = link();
    TfrmReadWrite* t = transfers();
    const int ticksBefore = ConnectTicks++;
    if (ConnectPhase == PhaseSend) {
        if (l) {
            l->SetRadioVersion(QString());
            l->LastReply = 0;
            l->ResetReceiveRing();
        }
        if (MainForm)
            MainForm->lblVersion->setText("-");
        ConnectTicks = 0;
        if (t)
            t->SendVersionRequest();
        ConnectPhase = PhaseWait;
    } else if (ConnectPhase == PhaseWait) {
        if (l && l->LastReply.load() == kr72wire::Version) {
            ConnectPhase = PhaseIdle;
            accept();
        } else if (ticksBefore == ReplyTicks) {
            if (ConnectTries < MaxRetries) {
                ++ConnectTries;
                ConnectPhase = PhaseSend;
            } else {
                lblInformation->setText("Can't connect radio, working in off line mode.");
            }
        }
    }
    if (l)
        l->ReceiveEvent.set();
}
