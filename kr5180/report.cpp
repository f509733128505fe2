#include "report.h"

#include "eeprom.h"
#include "ui_report.h"

#include <platform/filedialog.h>
#include <platform/msgbox.h>
#include <platform/safefile.h>

#include <QFontDatabase>
#include <QTextBlock>

TfrmReport* frmReport = nullptr;

namespace {

// Hz as MHz with the pattern "000.0000".
QString FormatMHz(long long hz)
{
    const long long units = (hz + 50) / 100; // 0.0001 MHz
    return QString::asprintf("%03lld.%04lld", units / 10000, units % 10000);
}

} // namespace

TfrmReport::TfrmReport(QWidget* parent) : QMainWindow(parent, Qt::Window), ui(new Ui::TfrmReport)
{
    ui->setupUi(this);
    memo_report = ui->memo_report;
    chkCalibration = ui->chkCalibration;
    chkRxChannels = ui->chkRxChannels;
    chkSelcallMem = ui->chkSelcallMem;
    memo_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFixedSize(size());

    connect(ui->btnCreate, &QPushButton::clicked, this, &TfrmReport::btnCreateClick);
    connect(ui->btnClose, &QPushButton::clicked, this, &TfrmReport::btnCloseClick);
    connect(ui->Exit1, &QAction::triggered, this, &TfrmReport::Exit1Click);
    connect(ui->Save1, &QAction::triggered, this, &TfrmReport::Save1Click);
    connect(ui->SaveAs1, &QAction::triggered, this, &TfrmReport::SaveAs1Click);
}

TfrmReport::~TfrmReport()
{
    if (frmReport == this)
        frmReport = nullptr;
    delete ui;
}

void TfrmReport::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FormShow();
}

void TfrmReport::FormShow() { BuildReport(); }
void TfrmReport::btnCreateClick() { BuildReport(); }
void TfrmReport::btnCloseClick() { close(); }
void TfrmReport::Exit1Click() { close(); }
void TfrmReport::Save1Click() { SaveWithDialog(); }
void TfrmReport::SaveAs1Click() { SaveWithDialog(); }

void TfrmReport::AddLine(const QString& text)
{
    memo_report->appendPlainText(text);
}

void TfrmReport::BuildReport()
{
    memo_report->clear();
    AddLine(QStringLiteral("KR7460"));
    if (!reportImage) {
        AddLine(QStringLiteral("No buffer specified"));
        return;
    }
    AddLine(QStringLiteral("EEPROM size: %1 bytes").arg(reportImage->GetSize()));
    AddLine(QString());
    if (chkCalibration->isChecked()) {
        AddLine(QStringLiteral("Calibration Data:"));
        AddLine(QString());
    }
    if (chkRxChannels->isChecked())
        AddRxChannelSection();
    if (chkSelcallMem->isChecked()) {
        AddLine(QStringLiteral("Selcall Memories:"));
        AddLine(QString());
    }
    AddLine(QStringLiteral("End Report."));
}

void TfrmReport::AddRxChannelSection()
{
    AddLine(QStringLiteral("Receive Only Channels:"));
    int count = 0;
    for (int index = 0; index < ee::RxChannelCount && reportImage; ++index) {
        RX_CH_DATA_STRUCT record;
        if (reportImage->GetRxChannel(index, &record) != 0 || record.frequency == 0)
            continue;
        AddLine(QStringLiteral("CH%1\t%2\t%3")
                    .arg(index + 41)
                    .arg(FormatMHz(record.frequency))
                    .arg(QString::fromStdString(record.tag)));
        ++count;
    }
    if (count == 0)
        AddLine(QStringLiteral("\tNo receive-only channels"));
    AddLine(QString());
}

QStringList TfrmReport::Lines() const
{
    QStringList lines;
    for (QTextBlock block = memo_report->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    if (lines.size() == 1 && lines.front().isEmpty())
        lines.clear();
    return lines;
}

bool TfrmReport::SaveReport(const QString& fileName) const
{
    QByteArray text;
    for (const QString& line : Lines())
        text += line.toLocal8Bit() + '\n';
    return platform::SaveFileReplacing(fileName, text) == platform::SaveResult::Ok;
}

void TfrmReport::SaveWithDialog()
{
    platform::TSaveDialog FileSaveDialog(this);
    if (!FileSaveDialog.Execute())
        return;
    if (!SaveReport(FileSaveDialog.FileName))
        platform::MessageBox(QStringLiteral("Unable to save ") + FileSaveDialog.FileName,
                             QStringLiteral("File Error"), platform::MB_ICONEXCLAMATION);
}
