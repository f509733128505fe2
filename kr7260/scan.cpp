#include "scan.h"
#include "ui_scan.h"

#include "chanlist.h"

#include <widgets/channelchecks.h>

#include <QCheckBox>

TfrmScan* frmScan = nullptr;

TfrmScan::TfrmScan(QWidget* parent) : TEditorForm(parent), ui(new Ui::TfrmScan)
{
    ui->setupUi(this);
    chk3Beep = ui->chk3Beep;
    lblPriCheck = ui->lblPriCheck;
    hsbPriCheckRate = ui->hsbPriCheckRate;
    lblPriCheckRate = ui->lblPriCheckRate;
    cmbRecallM1 = ui->cmbRecallM1;
    chk2ndOpenScan = ui->chk2ndOpenScan;
    HelpText = ui->HelpText;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;

    Duplex = new TChannelChecks(ui->pnlDupChannels, "chkDup", 8, 4);
    Duplex->SetButtons(ui->btnDupSelectAll, ui->btnDupDeselectAll);
    GroupScan = new TChannelChecks(ui->pnlGsChannels, "chkGs", 40, 5);
    GroupScan->SetButtons(ui->btnGsSelectAll, ui->btnGsDeselectAll);
    OpenScan = new TChannelChecks(ui->pnlOsChannels, "chkOs", 40, 5);
    OpenScan->SetButtons(ui->btnOsSelectAll, ui->btnOsDeselectAll);
    recall_ = new TChannelCombo(cmbRecallM1);

    using namespace kr72map;
    BindBit(chk3Beep, WordOptions3, 0x0004);
    BindValue(hsbPriCheckRate, WordPriority, 0xFF00);
    BindField(
        cmbRecallM1, WordPriority, 0x00FF, [this](int index) { recall_->Fill(image(), index); },
        [this] { return recall_->CheckedIndex(); });
    BindChannels(Duplex, WordDuplexPowerDown);
    BindChannels(OpenScan, OpenScanBase);
    BindChannels(GroupScan, GroupScanBase);
    BindBit(chk2ndOpenScan, WordOptions3, 0x0040);
    WriteWholeWords();
    BindOkCancel(OKBtn, CancelBtn);

    connect(hsbPriCheckRate, &QScrollBar::valueChanged, this, &TfrmScan::hsbPriCheckRateChange);
    connect(chk2ndOpenScan, &QCheckBox::clicked, this, &TfrmScan::chk2ndOpenScanClick);

    THelpPane* help = SetHelpPane(HelpText, OKBtn, CancelBtn);
    help->Bind(chk2ndOpenScan, "Enable group scan mode to function as a second open scan mode", true);
    help->Bind(chk3Beep, "Radio gives 3 beeps when the priority channel receives a signal in group scan mode");
    const QString rate = "Number of channels scanned before the priority channel is checked";
    help->Bind(lblPriCheck, rate, true);
    help->Bind(lblPriCheckRate, rate, true);
    help->BindFocus(hsbPriCheckRate, rate);
    const QString priority = "Set the priority channel. Used in group scan and also with the priority button";
    help->Bind(ui->lblRecallM1, priority, true);
    help->BindFocus(cmbRecallM1, priority);
    // Boxes and buttons on focus, the whole group on mouse moves.
    auto family = [help](TChannelChecks* checks, QPushButton* all, QPushButton* none, QWidget* group,
                         const QString& sentence) {
        for (QCheckBox* box : checks->Boxes())
            help->BindFocus(box, sentence);
        help->BindFocus(all, sentence);
        help->BindFocus(none, sentence);
        help->Bind(group, sentence, true);
    };
    family(GroupScan, ui->btnGsSelectAll, ui->btnGsDeselectAll, ui->gbGroupScan,
           "Select from channels 1 - 40 for group scan memory");
    family(OpenScan, ui->btnOsSelectAll, ui->btnOsDeselectAll, ui->gbOpenScan,
           "Select from channels 1 - 40 for open scan memory");
    family(Duplex, ui->btnDupSelectAll, ui->btnDupDeselectAll, ui->gbDuplex,
           "Select from channels 1 - 8 for duplex operation");
    help->BindSilent(ui->gbScanOptions);
    help->BindSilent(ui->pnlBottom);

    FormCreate();
}

TfrmScan::~TfrmScan()
{
    if (frmScan == this)
        frmScan = nullptr;
    delete ui;
}

void TfrmScan::FormCreate()
{
    // Hidden for good; their bits are still loaded and stored.
    for (QWidget* w : std::initializer_list<QWidget*>{chk3Beep, hsbPriCheckRate, lblPriCheck, lblPriCheckRate}) {
        w->setVisible(false);
        w->setEnabled(false);
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmScan::LoadControls()
{
    hsbPriCheckRateChange();
    chk2ndOpenScanClick();
}

void TfrmScan::hsbPriCheckRateChange()
{
    lblPriCheckRate->setText("Every " + QString::number(hsbPriCheckRate->value()) + " channels");
}

void TfrmScan::chk2ndOpenScanClick()
{
    const bool on = !chk2ndOpenScan->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{lblPriCheck, hsbPriCheckRate, lblPriCheckRate, chk3Beep})
        w->setEnabled(on);
}
