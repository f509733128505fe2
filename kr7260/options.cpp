#include "options.h"
#include "ui_options.h"

#include "chanlist.h"

#include <QCheckBox>
#include <QScrollBar>

TfrmOptions* frmOptions = nullptr;

namespace {
constexpr std::uint16_t BitDisableChannel = 0x0100;
constexpr std::uint16_t BitDisableScan = 0x1000;
} // namespace

TfrmOptions::TfrmOptions(QWidget* parent) : TEditorForm(parent), ui(new Ui::TfrmOptions)
{
    ui->setupUi(this);
    chkTotEnabled = ui->chkTotEnabled;
    lblTot = ui->lblTot;
    hsbTot = ui->hsbTot;
    lblTotValue = ui->lblTotValue;
    chkDisableChannel = ui->chkDisableChannel;
    chkDisablePtt = ui->chkDisablePtt;
    chkDisableF = ui->chkDisableF;
    chkDisableDup = ui->chkDisableDup;
    chkDisableScan = ui->chkDisableScan;
    chkDisableQuiet = ui->chkDisableQuiet;
    chkDisableOsgs = ui->chkDisableOsgs;
    chkDisableCall = ui->chkDisableCall;
    lblLastChannel = ui->lblLastChannel;
    cmbLastChannel = ui->cmbLastChannel;
    chkEnablePttCh22Ch23 = ui->chkEnablePttCh22Ch23;
    gbScrambler = ui->gbScrambler;
    chkScramblerFitted = ui->chkScramblerFitted;
    chkScrambleEmergency = ui->chkScrambleEmergency;
    HelpText = ui->HelpText;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;
    lastChannel_ = new TChannelCombo(cmbLastChannel);

    using namespace kr72map;
    BindBit(chkTotEnabled, WordOptions3, 0x0001);
    BindValue(hsbTot, WordTxTimeoutPageChannel, 0x00FF);
    BindBit(chkScramblerFitted, WordOptions4, 0x0800);
    BindBit(chkScrambleEmergency, WordOptions5, 0x0080);
    BindBit(chkDisableChannel, WordOptions5, BitDisableChannel);
    BindField(
        cmbLastChannel, WordFixedChannel, 0x00FF, [this](int index) { lastChannel_->Fill(image(), index); },
        [this] { return lastChannel_->CheckedIndex(); });
    BindBit(chkDisablePtt, WordOptions5, 0x0200);
    BindBit(chkDisableF, WordOptions5, 0x0400);
    BindBit(chkDisableDup, WordOptions5, 0x0800);
    BindBit(chkDisableScan, WordOptions5, BitDisableScan);
    BindBit(chkDisableQuiet, WordOptions5, 0x2000);
    BindBit(chkDisableOsgs, WordOptions5, 0x4000);
    BindBit(chkDisableCall, WordOptions5, 0x8000);
    BindBit(chkEnablePttCh22Ch23, WordOptions4, 0x8000);
    WriteWholeWords();
    BindOkCancel(OKBtn, CancelBtn);

    connect(chkTotEnabled, &QCheckBox::clicked, this, &TfrmOptions::chkTotEnabledClick);
    connect(hsbTot, &QScrollBar::valueChanged, this, [this] { hsbTotChange(hsbTot); });
    connect(chkDisableChannel, &QCheckBox::clicked, this, &TfrmOptions::chkDisableChannelClick);
    connect(chkScramblerFitted, &QCheckBox::clicked, this, &TfrmOptions::chkScramblerFittedClick);

    THelpPane* help = SetHelpPane(HelpText, OKBtn, CancelBtn);
    help->Bind(chkTotEnabled, "Enable transmit time out timer operation.");
    const QString tot = "Set amount of time for maximum transmit session.";
    help->Bind(lblTot, tot, true);
    help->Bind(lblTotValue, tot, true);
    help->BindFocus(hsbTot, tot);
    const QString buttons = "Enable or disable any radio button. All except the PTT and the channel selector can be "
                            "changed via press and hold of the button while switching on";
    for (QCheckBox* box : {chkDisableChannel, chkDisablePtt, chkDisableF, chkDisableDup, chkDisableScan,
                           chkDisableQuiet, chkDisableOsgs, chkDisableCall})
        help->Bind(box, buttons);
    help->BindFocus(cmbLastChannel, buttons);
    help->Bind(lblLastChannel, buttons, true);
    help->Bind(ui->gbButtons, buttons, true);
    const QString scrambler = "The scrambler option functionality is built into the operating firmware. The hardware "
                              "is not factory fitted to the main PCB. If the scrambler option is required, the "
                              "additional components and scrambler  module must be fitted. Please contact your "
                              "nearest Navar service centre for fitting instructions.";
    help->Bind(chkScramblerFitted, scrambler);
    help->Bind(chkScrambleEmergency, scrambler);
    help->Bind(gbScrambler, scrambler, true);
    // The PTT box has no help: moving over it leaves the pane as it is.
    KeepHelp(chkEnablePttCh22Ch23);
    help->BindSilent(ui->gbTot);
    help->BindSilent(ui->gbTelemetry);
    help->BindSilent(ui->pnlBottom);

    FormCreate();
}

TfrmOptions::~TfrmOptions()
{
    if (frmOptions == this)
        frmOptions = nullptr;
    delete ui;
}

void TfrmOptions::FormCreate()
{
    // Hidden for good; the two scrambler bits are still loaded and stored.
    gbScrambler->setVisible(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmOptions::LoadControls()
{
    chkTotEnabledClick();
    hsbTotChange(hsbTot);
    chkScramblerFittedClick();
    chkDisableChannelClick();
}

void TfrmOptions::StoreControls()
{
    // Disabling the channel switch always disables the scan button too.
    if (chkDisableChannel->isChecked())
        SetOptionBit(kr72map::WordOptions5, BitDisableScan, true);
}

void TfrmOptions::chkTotEnabledClick()
{
    const bool on = chkTotEnabled->isChecked();
    lblTot->setEnabled(on);
    hsbTot->setEnabled(on);
    lblTotValue->setEnabled(on);
}

void TfrmOptions::hsbTotChange(QObject* sender)
{
    if (sender == hsbTot)
        lblTotValue->setText(QString::number(hsbTot->value()) + " Seconds");
}

void TfrmOptions::chkDisableChannelClick()
{
    const bool on = chkDisableChannel->isChecked();
    lblLastChannel->setEnabled(on);
    cmbLastChannel->setEnabled(on);
    chkDisableScan->setEnabled(!on);
}

void TfrmOptions::chkScramblerFittedClick() { chkScrambleEmergency->setEnabled(chkScramblerFitted->isChecked()); }
