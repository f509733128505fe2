#include "options.h"
#include "ui_options.h"

#include <QLineEdit>

TfrmOptions* frmOptions = nullptr;

TfrmOptions::TfrmOptions(QWidget* parent) : TImageEditor(parent), ui(new Ui::TfrmOptions)
{
    ui->setupUi(this);
    ui->udTxTimeOut->findChild<QLineEdit*>()->setObjectName(QStringLiteral("editTxTimeout"));
    UseOptionBytes(8);
    BindValue(ui->udTxTimeOut, ee::TxTimeout);
    BindBit(ui->chkPTT22_23, ee::Options35, ee::Ptt2223Disabled, true);
    BindOkCancel(ui->OKBtn, ui->CancelBtn);

    SetHelpPane(ui->memoHelptext);
    Help->Bind(ui->chkPTT22_23, QStringLiteral("Enable PTT operation on CH22/23."), true);
    const QString time = QStringLiteral("Set maximum transmit time (secs)");
    Help->Bind(ui->lblTime, time, true);
    Help->Bind(ui->udTxTimeOut, time, true);
    for (QWidget* w : {static_cast<QWidget*>(ui->OKBtn), static_cast<QWidget*>(ui->CancelBtn),
                       static_cast<QWidget*>(ui->gbTimeoutTimer), static_cast<QWidget*>(ui->GroupBox3)})
        Help->BindSilent(w);
}

TfrmOptions::~TfrmOptions()
{
    delete ui;
}

void TfrmOptions::LoadControls()
{
    Byte30Inverted = std::uint8_t(~image().GetByte(ee::RadioOptions30));
}

void TfrmOptions::StoreControls()
{
    image().SetByte(ee::RadioOptions30, std::uint8_t(~Byte30Inverted));
}
