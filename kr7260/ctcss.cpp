#include "ctcss.h"
#include "ui_ctcss.h"

#include "chanlist.h"

#include <platform/msgbox.h>
#include <widgets/channelchecks.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

TfrmCtcss* frmCtcss = nullptr;

namespace {
constexpr std::uint16_t BitCtcssOn = 0x0001;
constexpr std::uint16_t Bit5And35 = 0x0002;
} // namespace

TfrmCtcss::TfrmCtcss(QWidget* parent) : TEditorForm(parent), ui(new Ui::TfrmCtcss)
{
    ui->setupUi(this);
    chkEnableCbCtcss = ui->chkEnableCbCtcss;
    chkCtcssRpkEnabled = ui->chkCtcssRpkEnabled;
    chkBlOverideEnable = ui->chkBlOverideEnable;
    chkClearPrivOnPri = ui->chkClearPrivOnPri;
    chkCbBusyLockout = ui->chkCbBusyLockout;
    chkCtcssNb = ui->chkCtcssNb;
    chkEnableCtcssEdit = ui->chkEnableCtcssEdit;
    chkCtcssOnDup = ui->chkCtcssOnDup;
    cmbRxCtcss = ui->cmbRxCtcss;
    cmbTxCtcss = ui->cmbTxCtcss;
    btnCtcssSelectAll = ui->btnCtcssSelectAll;
    btnCtcssDeselectAll = ui->btnCtcssDeselectAll;
    HelpText = ui->HelpText;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;
    Silent = new TChannelChecks(ui->pnlCtcssChannels, "chkCtcss", 40, 5);

    using namespace kr72map;
    BindBit(chkEnableCbCtcss, WordOptions4, BitCtcssOn);
    BindBit(chkCtcssRpkEnabled, WordOptions4, 0x0004);
    BindBit(chkBlOverideEnable, WordOptions4, 0x0008);
    BindBit(chkClearPrivOnPri, WordOptions4, 0x0010);
    BindBit(chkCbBusyLockout, WordOptions4, 0x0020);
    BindBit(chkCtcssNb, WordOptions4, 0x0040);
    BindBit(chkEnableCtcssEdit, WordOptions4, 0x0080);
    auto tone = [this](QComboBox* combo, std::uint16_t mask) {
        BindField(
            combo, WordCbCtcssTones, mask,
            [combo](int code) {
                combo->setCurrentIndex(combo->findText(kr72chan::CtcssCodeToText(unsigned(code))));
            },
            [this, combo] { return ToneCode(combo); });
    };
    tone(cmbRxCtcss, 0x00FF);
    tone(cmbTxCtcss, 0xFF00);
    BindChannels(Silent, CtcssSilentBase);
    WriteWholeWords();
    BindOkCancel(OKBtn, CancelBtn);

    connect(chkEnableCbCtcss, &QCheckBox::clicked, this, &TfrmCtcss::chkEnableCbCtcssClick);
    connect(chkCbBusyLockout, &QCheckBox::clicked, this, &TfrmCtcss::chkEnableCbCtcssClick);
    connect(chkCtcssOnDup, &QCheckBox::clicked, this, &TfrmCtcss::chkCtcssOnDupClick);
    for (QPushButton* b : {btnCtcssSelectAll, btnCtcssDeselectAll})
        connect(b, &QPushButton::clicked, this, [this, b] { btnCtcssSelectAllClick(b); });

    THelpPane* help = SetHelpPane(HelpText, OKBtn, CancelBtn);
    help->Bind(chkEnableCbCtcss, "Enable CTCSS operation.");
    help->Bind(chkCtcssRpkEnabled, "Enable RPK at the end of a transmission.");
    help->Bind(chkBlOverideEnable, "Enable busy lockout override if the CTCSS tone is matched.");
    help->Bind(chkCbBusyLockout, "Enable Busy lock out operation on CB channels");
    help->Bind(chkClearPrivOnPri, "Clear Silent mode on channel recall");
    const QString tx = "Set the CTCSS TX tone to use for CB channels";
    help->BindFocus(cmbTxCtcss, tx);
    help->Bind(ui->lblCbCtcssTx, tx, true);
    const QString rx = "Set the CTCSS RX tone to use for CB channels";
    help->BindFocus(cmbRxCtcss, rx);
    help->Bind(ui->lblCbCtcssRx, rx, true);
    help->Bind(chkCtcssNb, "Enables automatic shift to narrow bandwidth CTCSS above 151.4Hz. Gives best rejection of "
                           "adjacent codes but the response is slower.");
    help->Bind(chkCtcssOnDup, "Allow CTCSS operation on duplex frequencies");
    help->Bind(chkEnableCtcssEdit, "Allow CTCSS codes to be edited from the front panel by holding the F and Silent "
                                   "buttons during switch on");
    help->Bind(ui->gbCtcssMem, "Select from channels 1 - 40 for silent memory", true);
    // The channel boxes and their buttons have no help: moving over them leaves the pane.
    for (QCheckBox* box : Silent->Boxes())
        KeepHelp(box);
    KeepHelp(btnCtcssSelectAll);
    KeepHelp(btnCtcssDeselectAll);
    help->BindSilent(ui->gbCtcssOptions);
    help->BindSilent(ui->pnlBottom);

    FormCreate();
}

TfrmCtcss::~TfrmCtcss()
{
    if (frmCtcss == this)
        frmCtcss = nullptr;
    delete ui;
}

void TfrmCtcss::FormCreate()
{
    const QStringList tones = kr72chan::CtcssToneList();
    for (QComboBox* combo : {cmbRxCtcss, cmbTxCtcss}) {
        combo->addItems(tones);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

bool TfrmCtcss::Ctcss5And35() const { return OptionBit(kr72map::WordOptions4, Bit5And35); }

void TfrmCtcss::LoadControls()
{
    // The duplex option is never shown and always on.
    if (!chkCtcssOnDup->isChecked()) {
        chkCtcssOnDup->setChecked(true);
        chkCtcssOnDupClick();
    }
    UpdateDuplexCtcssBoxes();
    Silent->Box(35)->setVisible(Ctcss5And35());
    chkEnableCbCtcssClick();
}

void TfrmCtcss::chkEnableCbCtcssClick()
{
    const bool on = chkEnableCbCtcss->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{chkCbBusyLockout, chkCtcssOnDup, ui->lblCbCtcssTx, cmbTxCtcss,
                                                      ui->lblCbCtcssRx, cmbRxCtcss, chkClearPrivOnPri,
                                                      chkCtcssRpkEnabled, chkEnableCtcssEdit, ui->gbCtcssMem,
                                                      chkCtcssNb})
        w->setEnabled(on);
    chkBlOverideEnable->setEnabled(chkCbBusyLockout->isChecked());
    UpdateDuplexCtcssBoxes();
    Silent->SetEnabled(on);
    btnCtcssSelectAll->setEnabled(on);
    btnCtcssDeselectAll->setEnabled(on);
}

void TfrmCtcss::chkCtcssOnDupClick() { UpdateDuplexCtcssBoxes(); }

void TfrmCtcss::UpdateDuplexCtcssBoxes()
{
    const bool dup = chkCtcssOnDup->isChecked();
    for (int n = 1; n <= 8; ++n)
        Silent->Box(n)->setVisible(dup && (n != 5 || Ctcss5And35()));
}

void TfrmCtcss::btnCtcssSelectAllClick(QObject* sender)
{
    if (sender == btnCtcssSelectAll) {
        const bool allowed = Ctcss5And35();
        if (chkCtcssOnDup->isChecked())
            for (int n = 1; n <= 8; ++n)
                Silent->SetChecked(n, n != 5 || allowed);
        for (int n = 9; n <= 40; ++n)
            Silent->SetChecked(n, n != 35 || allowed);
    } else if (sender == btnCtcssDeselectAll) {
        Silent->DeselectAll();
    }
}

std::optional<int> TfrmCtcss::ToneCode(QComboBox* combo)
{
    const QString text = combo->currentText();
    const int code = kr72chan::CtcssTextToCode(text);
    if (code != kr72chan::CtcssOff || text == kr72chan::CtcssCodeToText(kr72chan::CtcssOff))
        return code;
    platform::MessageBox(QStringLiteral("\"%1\" is not a CTCSS tone.\nPlease pick a tone from the list.").arg(text),
                         "Invalid CTCSS Tone", platform::MB_ICONHAND);
    combo->setFocus();
    return std::nullopt;
}
