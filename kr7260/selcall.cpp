#include "selcall.h"
#include "ui_selcall.h"

#include <widgets/channelchecks.h>

#include <QCheckBox>
#include <QComboBox>
#include <QScrollBar>

TfrmSelcall* frmSelcall = nullptr;

namespace {

// Group call choices: bit A alone is one group digit, bit B (A either way) two.
// The field is (A in bit 0, B in bit 1).
int GroupIndex(int field) { return (field & 2) ? 2 : (field & 1) ? 1 : 0; }
int GroupField(int index) { return index == 2 ? 3 : index == 1 ? 1 : 0; }

constexpr std::uint16_t TxGroupBits = 0x0300;
constexpr std::uint16_t RxGroupBits = 0x6000;

} // namespace

TfrmSelcall::TfrmSelcall(QWidget* parent) : TEditorForm(parent), ui(new Ui::TfrmSelcall)
{
    ui->setupUi(this);
    chkSelcallDecEnabled = ui->chkSelcallDecEnabled;
    chkClearQuiet = ui->chkClearQuiet;
    chkPageEnabled = ui->chkPageEnabled;
    chkAlarmInEnable = ui->chkAlarmInEnable;
    btnSelcallMem = ui->btnSelcallMem;
    btnPageAlarm = ui->btnPageAlarm;
    chkUnmuteOnSelcall = ui->chkUnmuteOnSelcall;
    chkRx5Ani = ui->chkRx5Ani;
    chkReenterQuiet = ui->chkReenterQuiet;
    chkBeepAckEnabled = ui->chkBeepAckEnabled;
    chkBeepAlarms = ui->chkBeepAlarms;
    cmbRxGroup = ui->cmbRxGroup;
    chkAppendAni = ui->chkAppendAni;
    chkTx5Ani = ui->chkTx5Ani;
    lblLeadInDelayl = ui->lblLeadInDelayl;
    hsbLeadInDelay = ui->hsbLeadInDelay;
    lblLeadInDelay = ui->lblLeadInDelay;
    chkLeadInToneEnabled = ui->chkLeadInToneEnabled;
    cmbTxGroup = ui->cmbTxGroup;
    gbQuiet = ui->gbQuiet;
    btnQSelectAll = ui->btnQSelectAll;
    btnQDeselectAll = ui->btnQDeselectAll;
    HelpText = ui->HelpText;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;
    Quiet = new TChannelChecks(ui->pnlQuiet, "chkQ", 40, 5);

    using namespace kr72map;
    BindBit(chkSelcallDecEnabled, WordOptions3, 0x0008);
    BindBit(chkClearQuiet, WordOptions3, 0x8000);
    BindBit(chkPageEnabled, WordOptions5, 0x0001);
    BindBit(chkAlarmInEnable, WordOptions4, 0x0400);
    BindBit(chkUnmuteOnSelcall, WordOptions4, 0x4000);
    BindBit(chkRx5Ani, WordOptions3, 0x1000);
    BindBit(chkReenterQuiet, WordOptions4, 0x2000);
    BindBit(chkBeepAckEnabled, WordOptions5, 0x0020);
    BindBit(chkBeepAlarms, WordOptions5, 0x0010);
    BindBit(chkAppendAni, WordOptions3, 0x0800);
    BindBit(chkTx5Ani, WordOptions3, 0x0400);
    BindBit(chkLeadInToneEnabled, WordOptions5, 0x0008);
    for (auto [combo, bits] : {std::pair{cmbRxGroup, RxGroupBits}, {cmbTxGroup, TxGroupBits}})
        BindField(
            combo, WordOptions3, bits, [combo](int field) { combo->setCurrentIndex(GroupIndex(field)); },
            [combo] { return std::optional<int>(GroupField(combo->currentIndex())); });
    BindChannels(Quiet, QuietBase);
    WriteWholeWords();
    BindOkCancel(OKBtn, CancelBtn);

    connect(chkSelcallDecEnabled, &QCheckBox::clicked, this, &TfrmSelcall::chkSelcallDecEnabledClick);
    connect(hsbLeadInDelay, &QScrollBar::valueChanged, this, &TfrmSelcall::hsbLeadInDelayChange);
    for (QPushButton* b : {btnQSelectAll, btnQDeselectAll})
        connect(b, &QPushButton::clicked, this, [this, b] { btnQSelectAllClick(b); });
    connect(btnSelcallMem, &QPushButton::clicked, this, &TfrmSelcall::btnSelcallMemClick);
    connect(btnPageAlarm, &QPushButton::clicked, this, &TfrmSelcall::btnPageAlarmClick);

    THelpPane* help = SetHelpPane(HelpText);
    help->Bind(chkSelcallDecEnabled, "Enable the radio for Selcall operation.");
    help->Bind(chkBeepAckEnabled, "Enables the transmit beep acknowledge tones.");
    help->Bind(chkBeepAlarms, "Enables the beep alert alarm tones.");
    help->Bind(chkUnmuteOnSelcall, "The radio will clear Quiet mode if active on receipt of a Selcall.");
    help->Bind(chkReenterQuiet, "If the user does not respond to the Selcall within 10 seconds, the radio will stop "
                                "the beep alert and return to Quiet mode.");
    help->BindFocus(cmbRxGroup, "Set the group Selcall receive options.");
    help->Bind(chkAppendAni, "This enables the RX Ident of the radio to be attached to every out going Selcall for "
                             "caller identification at the receiving end.");
    help->BindFocus(hsbLeadInDelay, "Set the Lead in carrier length.");
    help->Bind(lblLeadInDelay, "Set the Lead in carrier length.", true);
    help->Bind(chkLeadInToneEnabled,
               "Enable the 1st tone of the Selcall transmission to be sent during the lead in delay.");
    help->BindFocus(cmbTxGroup, "Set the group Selcall transmit options.");
    help->Bind(chkAlarmInEnable, "Enable the Alarm in port if the appropriate hardware is fitted.");
    help->Bind(chkPageEnabled, "Enable Page mode operation.");
    help->Bind(btnPageAlarm, "Set options for Page and Alarm modes.");
    help->Bind(btnSelcallMem, "Set up the Selcall Ident of the radio and the user call memories.");
    help->Bind(gbQuiet, "Select from channels 1 - 40 for quiet memory", true);
    help->Bind(chkClearQuiet, "Clear quite mode on priority channel recall");
    help->Bind(chkTx5Ani, "Allows the radio to append it's 5 digit ident instead of 4 to a selcall transmission. "
                          "Note that the receiving radio must have Receive 5 digit ANI enabled");
    help->Bind(chkRx5Ani, "Allows the radio to decode an appended 5 digit ident instead of 4 for a received selcall. "
                          "Note the the transmitting radio must have Transmit 5 digit ANI enabled");
    help->BindSilent(ui->gbGeneral);
    help->BindSilent(ui->gbReceive);
    help->BindSilent(ui->gbTransmit);
    help->BindSilent(ui->pnlBottom);
    // Controls without help leave the pane as it is (watched after the pane, so first).
    for (QCheckBox* box : Quiet->Boxes())
        KeepHelp(box);
    for (QWidget* w : std::initializer_list<QWidget*>{btnQSelectAll, btnQDeselectAll, lblLeadInDelayl, OKBtn, CancelBtn})
        KeepHelp(w);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TfrmSelcall::~TfrmSelcall()
{
    if (frmSelcall == this)
        frmSelcall = nullptr;
    delete ui;
}

void TfrmSelcall::Attach(TEditorForm* idents, TEditorForm* pageAlarm)
{
    idents_ = idents;
    pageAlarm_ = pageAlarm;
}

int TfrmSelcall::TxGroupIndex() const { return cmbTxGroup->currentIndex(); }
bool TfrmSelcall::PageEnabled() const { return chkPageEnabled->isChecked(); }
bool TfrmSelcall::AlarmInEnabled() const { return chkAlarmInEnable->isChecked(); }

void TfrmSelcall::LoadControls()
{
    // The whole word, clamped for display; OK stores the clamped value.
    hsbLeadInDelay->setValue(image().Get(kr72map::WordLeadInDelay));
    hsbLeadInDelayChange();
    chkSelcallDecEnabledClick();
}

void TfrmSelcall::StoreControls() { image().Set(kr72map::WordLeadInDelay, hsbLeadInDelay->value()); }

void TfrmSelcall::chkSelcallDecEnabledClick()
{
    const bool on = chkSelcallDecEnabled->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{
             chkBeepAckEnabled, chkBeepAlarms, chkUnmuteOnSelcall, chkReenterQuiet, cmbRxGroup, hsbLeadInDelay,
             lblLeadInDelay, lblLeadInDelayl, chkLeadInToneEnabled, cmbTxGroup, btnSelcallMem, chkAlarmInEnable,
             chkPageEnabled, btnPageAlarm, chkAppendAni, chkClearQuiet, chkTx5Ani, chkRx5Ani})
        w->setEnabled(on);
    Quiet->SetEnabled(on);
    btnQSelectAll->setEnabled(on);
    btnQDeselectAll->setEnabled(on);
}

void TfrmSelcall::hsbLeadInDelayChange() { lblLeadInDelay->setText(QString::number(hsbLeadInDelay->value() * 10) + "mS"); }

void TfrmSelcall::btnQSelectAllClick(QObject* sender)
{
    if (sender == btnQSelectAll)
        Quiet->SelectAll();
    else if (sender == btnQDeselectAll)
        Quiet->DeselectAll();
}

void TfrmSelcall::btnSelcallMemClick() { OpenChild(idents_); }

void TfrmSelcall::btnPageAlarmClick() { OpenChild(pageAlarm_); }

void TfrmSelcall::OpenChild(TEditorForm* child)
{
    if (!child)
        return;
    child->Image = Image;
    child->exec();
    ReadOptionBytes();
}
