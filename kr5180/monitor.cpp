#include "monitor.h"

#include "ui_monitor.h"

#include <QTextBlock>
#include <QTextCursor>

TfrmCommsMonitor* frmCommsMonitor = nullptr;

TfrmCommsMonitor::TfrmCommsMonitor(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::TfrmCommsMonitor)
{
    ui->setupUi(this);
    memoTx = ui->memoTx;
    btnClear = ui->btnClear;
    cbEnableMonitor = ui->cbEnableMonitor;
    setFixedSize(size());
    memoTx->setMaximumBlockCount(0);

    connect(btnClear, &QPushButton::clicked, this, &TfrmCommsMonitor::btnClearClick);
    connect(cbEnableMonitor, &QCheckBox::clicked, this, &TfrmCommsMonitor::cbEnableMonitorClick);
    FormCreate();
}

TfrmCommsMonitor::~TfrmCommsMonitor()
{
    if (frmCommsMonitor == this)
        frmCommsMonitor = nullptr;
    delete ui;
}

void TfrmCommsMonitor::FormCreate()
{
    enabled = false;
}

void TfrmCommsMonitor::FormShow()
{
    cbEnableMonitor->setChecked(enabled);
}

void TfrmCommsMonitor::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmCommsMonitor::cbEnableMonitorClick()
{
    enabled = cbEnableMonitor->isChecked();
}

void TfrmCommsMonitor::btnClearClick()
{
    memoTx->clear();
}

void TfrmCommsMonitor::AddLine(const QString& text)
{
    memoTx->appendPlainText(text);
}

void TfrmCommsMonitor::LogBytes(const std::uint8_t* bytes, int count, int transmit)
{
    if (!enabled)
        return;
    // The whole line is built first and added at once: one edit of the document per payload.
    QString line = transmit ? QStringLiteral("TX :") : QStringLiteral("RX :");
    if (bytes && count > 0) {
        line.reserve(4 + 3 * count);
        for (int i = 0; i < count; ++i)
            line += HexByte(bytes[i]);
    }
    AddLine(line);
}

QString TfrmCommsMonitor::HexByte(std::uint8_t byte)
{
    static const char digits[] = "0123456789ABCDEF";
    const char text[4] = {digits[byte >> 4], digits[byte & 0x0F], ' ', '\0'};
    return QString::fromLatin1(text, 3);
}

void TfrmCommsMonitor::AppendHexByte(std::uint8_t byte)
{
    QTextCursor cursor(memoTx->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(HexByte(byte));
}

QStringList TfrmCommsMonitor::Lines() const
{
    QStringList lines;
    for (QTextBlock block = memoTx->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    if (lines.size() == 1 && lines.front().isEmpty())
        lines.clear();
    return lines;
}
