#include "engoptions.h"
#include "ui_engoptions.h"

TfrmEngOptions* frmEngOptions = nullptr;

TfrmEngOptions::TfrmEngOptions(QWidget* parent) : TImageEditor(parent), ui(new Ui::TfrmEngOptions)
{
    ui->setupUi(this);
    UseOptionBytes(6);
    // Both bits are "disabled" bits: a checked box clears its bit.
    BindBit(ui->chkEnableTx_RxOnly, ee::Options35, ee::TxRxOnlyDisabled, true);
    BindBit(ui->chkCTCSS_5_35, ee::CtcssBits, ee::Ctcss535Disabled, true);
    BindOkCancel(ui->btnOk, ui->btnCancel);
}

TfrmEngOptions::~TfrmEngOptions()
{
    delete ui;
}
