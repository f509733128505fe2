#include "ctcss.h"
#include "ui_ctcss.h"

#include <widgets/channelchecks.h>

#include <QSignalBlocker>

TfrmCtcss* frmCtcss = nullptr;

const float ToneTable[51] = {
    0.0f,
    67.0f,  69.4f,  71.9f,  74.4f,  77.0f,  79.7f,  82.5f,  85.4f,  88.5f,  91.5f,
    94.8f,  97.4f,  100.0f, 103.5f, 107.2f, 110.9f, 114.8f, 118.8f, 123.0f, 127.3f,
    131.8f, 136.5f, 141.3f, 146.2f, 151.4f, 156.7f, 159.8f, 162.2f, 165.5f, 167.9f,
    171.3f, 173.8f, 177.3f, 179.9f, 183.5f, 186.2f, 189.9f, 192.8f, 196.6f, 199.5f,
    203.5f, 206.5f, 210.7f, 218.1f, 225.7f, 229.1f, 233.6f, 241.8f, 250.3f, 254.1f,
};

const int CcirToneIndex[39] = {
    0,  1,  3,  4,  5,  6,  7,  8,  9,  10,
    11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
    21, 22, 23, 24, 25, 26, 28, 30, 32, 34,
    36, 38, 41, 43, 44, 45, 47, 48, 49,
};

namespace {

constexpr int NoTone = -1;
constexpr int DuplexChannels = 8;
constexpr int Channel5 = 5, Channel35 = 35;

} // namespace

TfrmCtcss::TfrmCtcss(QWidget* parent) : TImageEditor(parent), ui(new Ui::TfrmCtcss)
{
    ui->setupUi(this);
    FormCreate();
}

TfrmCtcss::~TfrmCtcss()
{
    delete ui;
}

void TfrmCtcss::FormCreate()
{
    UseOptionBytes(6);
    SilentBoxes = new TChannelChecks(ui->SilentBoxArea, QStringLiteral("chkCtcss"), ee::CbChannels, 4);
    SilentBoxes->SetButtons(ui->btnCtcssSelectAll, ui->btnCtcssDeselectAll);

    BindBit(ui->chkEnableCbCtcss, ee::CtcssBits, ee::CtcssEnabled);
    BindBit(ui->chkCtcssOnDup, ee::CtcssBits, ee::CtcssDuplexDisabled, true);
    BindBit(ui->chkCtcssNb, ee::CtcssBits, ee::CtcssNarrow);
    BindBit(ui->chkBusyLockoutOverride, ee::CtcssBits, ee::BusyLockoutOverride);
    BindBit(ui->chkBusyLockout, ee::CtcssBits, ee::BusyLockout);
    BindChannels(SilentBoxes, ee::SilentMemory);

    BindOkCancel(ui->OKBtn, ui->CancelBtn);
    connect(ui->chkEnableCbCtcss, &QCheckBox::clicked, this, &TfrmCtcss::chkEnableCbCtcssClick);
    connect(ui->chkCtcssOnDup, &QCheckBox::clicked, this, &TfrmCtcss::chkEnableCbCtcssClick);
    connect(ui->btnCtcssSelectAll, &QPushButton::clicked, this, &TfrmCtcss::chkEnableCbCtcssClick);
    connect(ui->btnCtcssDeselectAll, &QPushButton::clicked, this, &TfrmCtcss::chkEnableCbCtcssClick);
    connect(ui->cbCTCSSToneSet, &QComboBox::currentTextChanged, this, &TfrmCtcss::cbCTCSSToneSetChange);

    SetHelpPane(ui->memoHelpText);
    Help->Bind(ui->chkEnableCbCtcss, QStringLiteral("Enable CTCSS Operation"));
    Help->Bind(ui->chkCtcssOnDup, QStringLiteral("Enable CTCSS operation on Duplex channels (1-8)"));
    Help->Bind(ui->chkCtcssNb, QStringLiteral("Enable automatic shift to narrow bandwidth CTCSS above 151.4Hz.\n"
                                              "Gives best rejection of adjacent codes but response is slower."));
    const QString tx = QStringLiteral("Set the CTCSS TX tone to use for CB channels");
    const QString rx = QStringLiteral("Set the CTCSS RX tone to use for CB channels");
    const QString toneSet = QStringLiteral("Select CTCSS Tone Set - CCIR (38 tones) or Navar (50 tones)");
    Help->BindFocus(ui->cmbTxCtcss, tx);
    Help->Bind(ui->lblCbCtcssTx, tx, true);
    Help->BindFocus(ui->cmbRxCtcss, rx);
    Help->Bind(ui->lblCbCtcssRx, rx, true);
    Help->BindFocus(ui->cbCTCSSToneSet, toneSet);
    Help->Bind(ui->lblCTCSSToneSet, toneSet, true);
    Help->Bind(ui->gbCtcssMem, QStringLiteral("Select from channels 1 - 40 for silent memory"), true);
    BindSilent({ui->Panel1, ui->OKBtn, ui->CancelBtn, ui->GroupBox1});
}

bool TfrmCtcss::CcirSet() const
{
    return WorkingBit(ee::CtcssBits, ee::CcirToneSet);
}

void TfrmCtcss::FillToneList(QComboBox* box)
{
    const bool ccir = CcirSet();
    const int n = ccir ? 39 : 51;
    const QSignalBlocker quiet(box);
    box->clear();
    for (int i = 0; i < n; ++i) {
        const int t = ccir ? CcirToneIndex[i] : i;
        const QString tone = t == 0 ? QStringLiteral("OFF")
                                    : QString::asprintf("%3.1f", double(ToneTable[t])) + QStringLiteral(" Hz");
        box->addItem(QStringLiteral("CTCSS %1 - ").arg(i) + tone);
    }
}

void TfrmCtcss::LoadControls()
{
    {
        const QSignalBlocker quiet(ui->cbCTCSSToneSet);
        ui->cbCTCSSToneSet->setCurrentIndex(CcirSet() ? 1 : 0);
    }
    FillToneList(ui->cmbTxCtcss);
    const int tone = image().GetByte(ee::CtcssTone);
    ui->cmbTxCtcss->setCurrentIndex(tone < ui->cmbTxCtcss->count() ? tone : NoTone);
    chkEnableCbCtcssClick();
}

void TfrmCtcss::chkEnableCbCtcssClick()
{
    const bool on = ui->chkEnableCbCtcss->isChecked();
    SetEnabled({ui->chkCtcssOnDup, ui->chkCtcssNb, ui->chkBusyLockout, ui->chkBusyLockoutOverride, ui->lblCbCtcssTx,
                ui->cmbTxCtcss, ui->lblCbCtcssRx, ui->cmbRxCtcss, ui->cbCTCSSToneSet, ui->lblCTCSSToneSet,
                ui->gbCtcssMem},
               on);
    SilentBoxes->SetEnabled(on); // its boxes and its select / deselect buttons
    if (!on)
        return;
    if (!ui->chkCtcssOnDup->isChecked())
        for (int n = 1; n <= DuplexChannels; ++n)
            SilentBoxes->Box(n)->setEnabled(false);
    if (WorkingBit(ee::CtcssBits, ee::Ctcss535Disabled)) {
        SilentBoxes->Box(Channel5)->setEnabled(false);
        SilentBoxes->Box(Channel35)->setEnabled(false);
    }
}

void TfrmCtcss::cbCTCSSToneSetChange()
{
    // The tone number selected now, in the set still in force.
    const int selected = ItemIndex(ui->cmbTxCtcss);
    int tone = NoTone;
    if (selected >= 0)
        tone = CcirSet() ? (selected < 39 ? CcirToneIndex[selected] : NoTone) : selected;

    SetWorkingBit(ee::CtcssBits, ee::CcirToneSet, ItemIndex(ui->cbCTCSSToneSet) != 0);
    FillToneList(ui->cmbTxCtcss);
    if (CcirSet()) {
        int position = 0;
        for (int i = 0; i < 39; ++i)
            if (CcirToneIndex[i] == tone) {
                position = i;
                break;
            }
        ui->cmbTxCtcss->setCurrentIndex(position);
    } else {
        ui->cmbTxCtcss->setCurrentIndex(tone);
    }
}

void TfrmCtcss::StoreControls()
{
    SetWorkingBit(ee::CtcssBits, ee::CcirToneSet, ItemIndex(ui->cbCTCSSToneSet) != 0);
    const int x = ItemIndex(ui->cmbTxCtcss);
    const int stored = x < 0 ? 0xFF : x;
    image().SetByte(ee::CtcssTone, stored);
    image().SetByte(ee::CtcssRxTone, stored);
}
