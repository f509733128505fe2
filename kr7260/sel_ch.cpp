#include "sel_ch.h"
#include "ui_sel_ch.h"

#include <platform/window.h>

#include <QShowEvent>

TfrmChannelSelect* frmChannelSelect = nullptr;

TfrmChannelSelect::TfrmChannelSelect(QWidget* parent) : QDialog(parent), ui(new Ui::TfrmChannelSelect)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    cmbChannelSelect = ui->cmbChannelSelect;
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmChannelSelect::~TfrmChannelSelect()
{
    if (frmChannelSelect == this)
        frmChannelSelect = nullptr;
    delete ui;
}

void TfrmChannelSelect::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        platform::CentreOnScreen(this);
    QDialog::showEvent(event);
}
