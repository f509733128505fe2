#include "options.h"
#include "ui_options.h"

TfrmOptions* frmOptions = nullptr;

TfrmOptions::TfrmOptions(QWidget* parent) : TImageEditor(parent), ui(new Ui::TfrmOptions)
{
    ui->setupUi(this);
    NameEdit(ui->udTxTimeOut, "editTxTimeout");
    UseOptionBytes(8);
    BindValue(ui->udTxTimeOut, ee::TxTimeout);
    BindBit(ui->chkPTT22_23, ee::Options35, ee::Ptt2223Disabled, true);
    BindOkCancel(ui->OKBtn, ui->CancelBtn);

    SetHelpPane(ui->memoHelptext);
    Help->Bind(ui->chkPTT22_23, QStringLiteral("Enable PTT operation on CH22/23."), true);
    const QString time = QStringLiteral("Set maximum transmit time (secs)");
    Help->Bind(ui->lblTime, time, true);
    Help->Bind(ui->udTxTimeOut, time, true);
    BindSilent({ui->OKBtn, ui->CancelBtn, ui->gbTimeoutTimer, ui->GroupBox3});
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
