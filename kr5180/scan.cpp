#include "scan.h"
#include "ui_scan.h"

#include <platform/application.h>
#include <platform/strtoint.h>
#include <widgets/channelchecks.h>

#include <algorithm>

TfrmScan* frmScan = nullptr;

namespace {

constexpr int MaxCheckRate = 10;

// A receive-only channel is in use when its frequency word is neither 0 nor 0xFFFF.
bool RxChannelInUse(EEPROM& image, int channel)
{
    const int word = image.GetWord(ee::RxChannels + 2 * (channel - ee::FirstRxChannel));
    return word != 0xFFFF && word != 0 && word > 0;
}

} // namespace

TfrmScan::TfrmScan(QWidget* parent) : TImageEditor(parent), ui(new Ui::TfrmScan)
{
    ui->setupUi(this);
    FormCreate();
}

TfrmScan::~TfrmScan()
{
    delete ui;
}

void TfrmScan::FormCreate()
{
    UseOptionBytes(6);
    DuplexBoxes = new TChannelChecks(ui->DupBoxes, QStringLiteral("chkDup"), 8, 1);
    ScanMem1Boxes = new TChannelChecks(ui->OsBoxes, QStringLiteral("chkOs"), ee::CbChannels, 8);
    ScanMem2Boxes = new TChannelChecks(ui->GsBoxes, QStringLiteral("chkGs"), ee::CbChannels, 8);
    DuplexBoxes->SetButtons(ui->btnDupSelectAll, ui->btnDupDeselectAll);
    ScanMem1Boxes->SetButtons(ui->btnOsSelectAll, ui->btnOsDeselectAll);
    ScanMem2Boxes->SetButtons(ui->btnGsSelectAll, ui->btnGsDeselectAll);

    BindBit(ui->chkScanEnabled, ee::Options34, ee::ScanEnabled);
    BindBit(ui->chk3Beep, ee::Options35, ee::ThreeBeeps);
    BindBit(ui->chkGS_PTT_EXIT, ee::Options35, ee::PriorityPttExit);
    BindBit(ui->rbGS2, ee::Options35, ee::GroupScanMem2);
    BindBit(ui->rbOS2, ee::Options35, ee::GroupScanMem2, true);
    BindChannels(DuplexBoxes, ee::DuplexChannels);
    BindChannels(ScanMem1Boxes, ee::ScanMemory1);
    BindChannels(ScanMem2Boxes, ee::ScanMemory2);

    BindOkCancel(ui->OKBtn, ui->CancelBtn);
    connect(ui->chkScanEnabled, &QCheckBox::clicked, this, &TfrmScan::chkScanEnabledClick);

    SetHelpPane(ui->memoHelpText);
    const QString priority = QStringLiteral("Set the priority channel. Used in group scan and also with the priority button");
    const QString rate = QStringLiteral("Number of channels scanned before the priority channel is checked");
    Help->Bind(ui->lblRecallM1, priority, true);
    Help->BindFocus(ui->cmbRecallM1, priority);
    Help->Bind(ui->lblPriCheck, rate, true);
    Help->BindFocus(ui->cmbPriChkRate, rate);
    Help->Bind(ui->chk3Beep,
               QStringLiteral("Radio gives 3 beeps when the priority channel receives a signal in group scan mode"));
    Help->Bind(ui->chkGS_PTT_EXIT,
               QStringLiteral("Transmit on Priority Channel if PTT pressed while scanning or holding in Group Scan"),
               true);
    Help->Bind(ui->gbDuplex, QStringLiteral("Select from channels 1 - 8 for duplex operation"), true);
    Help->Bind(ui->gbOpenScan, QStringLiteral("Select from channels 1 - 40 for Scan Mem 1"), true);
    Help->Bind(ui->gbGroupScan, QStringLiteral("Select from channels 1 - 40 for Scan Mem 2"), true);
    BindSilent({ui->OKBtn, ui->CancelBtn, ui->gbScanOptions});
}

QString TfrmScan::ChannelText(int channel)
{
    return QStringLiteral("%1 %2")
        .arg(channel <= ee::CbChannels ? QStringLiteral("CB") : QStringLiteral("RX"))
        .arg(channel, 2, 10, QLatin1Char('0'));
}

void TfrmScan::LoadControls()
{
    LoadPriorityChannel();
    LoadPriorityCheckRate();
    chkScanEnabledClick();
}

void TfrmScan::LoadPriorityChannel()
{
    int n = image().GetByte(ee::PriorityChannel) - ee::ChannelCodeOffset;
    if (n < 1 || n > ee::LastRxChannel)
        n = 1;
    ui->cmbRecallM1->clear();
    for (int c = 1; c <= ee::CbChannels; ++c)
        ui->cmbRecallM1->addItem(ChannelText(c));
    for (int c = ee::FirstRxChannel; c <= ee::LastRxChannel; ++c)
        if (RxChannelInUse(image(), c))
            ui->cmbRecallM1->addItem(ChannelText(c));
    if (n > ee::CbChannels && !RxChannelInUse(image(), n))
        n = 1;
    ui->cmbRecallM1->setCurrentIndex(ui->cmbRecallM1->findText(ChannelText(n)));
}

void TfrmScan::LoadPriorityCheckRate()
{
    const int r = std::clamp(image().GetByte(ee::PriorityRate), 1, MaxCheckRate);
    ui->cmbPriChkRate->clear();
    for (int i = 1; i <= MaxCheckRate; ++i)
        ui->cmbPriChkRate->addItem(QString::number(i));
    ui->cmbPriChkRate->setCurrentIndex(r - 1);
}

void TfrmScan::chkScanEnabledClick()
{
    const bool on = ui->chkScanEnabled->isChecked();
    SetEnabled({ui->chk3Beep, ui->lblRecallM1, ui->cmbRecallM1, ui->lblPriCheck, ui->cmbPriChkRate, ui->lblChannels,
                ui->chkGS_PTT_EXIT, ui->lblOpenScan, ui->rbOS2, ui->rbGS2},
               on);
    DuplexBoxes->SetEnabled(on);
    ScanMem1Boxes->SetEnabled(on);
    ScanMem2Boxes->SetEnabled(on);
}

bool TfrmScan::CheckControls()
{
    // Both texts are converted before anything is stored: a bad one stores nothing.
    try {
        const QString text = ui->cmbRecallM1->currentText();
        priorityCode_ = platform::StrToInt(text.mid(3, 2)) + ee::ChannelCodeOffset;
        const int index = ItemIndex(ui->cmbPriChkRate);
        checkRate_ = index >= 0 ? index + 1
                                : std::clamp(platform::StrToInt(ui->cmbPriChkRate->currentText()), 1, MaxCheckRate);
    } catch (const platform::EConvertError& e) {
        platform::ShowException(e);
        return false;
    }
    return true;
}

void TfrmScan::StoreControls()
{
    StorePriorityChannel();
    StorePriorityCheckRate();
}

void TfrmScan::StorePriorityChannel()
{
    image().SetByte(ee::PriorityChannel, priorityCode_);
}

void TfrmScan::StorePriorityCheckRate()
{
    image().SetByte(ee::PriorityRate, checkRate_);
}
