#include "seriallog.h"

#include "ui_seriallog.h"

TformSerialLog* formSerialLog = nullptr;

TformSerialLog::TformSerialLog(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                          | Qt::WindowCloseButtonHint),
      ui(new Ui::TformSerialLog)
{
    ui->setupUi(this);
    connect(ui->btnClear, &QPushButton::clicked, this, &TformSerialLog::btnClearClick);
    connect(ui->btnClose, &QPushButton::clicked, this, &TformSerialLog::btnCloseClick);
}

TformSerialLog::~TformSerialLog()
{
    if (formSerialLog == this)
        formSerialLog = nullptr;
    delete ui;
}

void TformSerialLog::btnClearClick()
{
    ui->memoSerialLog->clear();
}

void TformSerialLog::btnCloseClick()
{
    close();
}
