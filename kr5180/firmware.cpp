#include "firmware.h"

#include "radionotify.h"
#include "ui_firmware.h"

#include <QShowEvent>

TfrmFirmware* frmFirmware = nullptr;

TfrmFirmware::TfrmFirmware(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::TfrmFirmware)
{
    ui->setupUi(this);
    setFixedSize(sizeHint());
    connect(ui->btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

TfrmFirmware::~TfrmFirmware()
{
    if (frmFirmware == this)
        frmFirmware = nullptr;
    delete ui;
}

void TfrmFirmware::FormShow()
{
    for (QLabel* line : {ui->lblLine1, ui->lblLine2, ui->lblLine3, ui->lblLine4})
        line->clear();
}

void TfrmFirmware::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

bool TfrmFirmware::event(QEvent* e)
{
    if (e->type() == WM_RADIO_NOTIFY)
        return true; // taken, and nothing to do
    return QDialog::event(e);
}
