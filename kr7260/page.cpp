#include "page.h"
#include "ui_page.h"

#include "chanlist.h"
#include "selcall.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

TfrmPageAlarm* frmPageAlarm = nullptr;

namespace {
constexpr std::uint16_t BitStandardTiming = 0x1000;
// Standard alarm output timing: 300 ms on, 1700 ms off, 5 cycles.
constexpr int StandardOnTime = 3;
constexpr int StandardOffTime = 17;
constexpr int StandardCycles = 5;
constexpr int CyclesShift = 9; // word 18 bits 9..15; bit 8 is written as 0
} // namespace

TfrmPageAlarm::TfrmPageAlarm(QWidget* parent, const TSelcallSettings* selcall)
    : TEditorForm(parent), ui(new Ui::TfrmPageAlarm), selcall_(selcall)
{
    ui->setupUi(this);
    lblPageChannel = ui->lblPageChannel;
    cmbPageChannel = ui->cmbPageChannel;
    chkPageAppendAni = ui->chkPageAppendAni;
    chkBlPage = ui->chkBlPage;
    chkBlAlarm = ui->chkBlAlarm;
    lblPagerRptslbl = ui->lblPagerRptslbl;
    hsbPagerRpts = ui->hsbPagerRpts;
    lblPagerRpts = ui->lblPagerRpts;
    lblAlarmRptslbl = ui->lblAlarmRptslbl;
    hsbAlarmRpts = ui->hsbAlarmRpts;
    lblAlarmRpts = ui->lblAlarmRpts;
    gbAlarm = ui->gbAlarm;
    rbAlarmStandard = ui->rbAlarmStandard;
    rbAlarmReset = ui->rbAlarmReset;
    lblAlarmOn = ui->lblAlarmOn;
    hsbAlarmOn = ui->hsbAlarmOn;
    lblAlarmOnValue = ui->lblAlarmOnValue;
    lblAlarmOff = ui->lblAlarmOff;
    hsbAlarmOff = ui->hsbAlarmOff;
    lblAlarmOffValue = ui->lblAlarmOffValue;
    lblAlarmRepeats = ui->lblAlarmRepeats;
    hsbAlarmRepeats = ui->hsbAlarmRepeats;
    lblAlarmRepeatsValue = ui->lblAlarmRepeatsValue;
    HelpText = ui->HelpText;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;
    // Typed keys are dropped; a pasted text must name CB 01 to CB 40 on OK.
    pageChannel_ = new TChannelCombo(cmbPageChannel);

    using namespace kr72map;
    BindBit(chkPageAppendAni, WordOptions5, 0x0002);
    BindBit(chkBlPage, WordOptions4, 0x0100);
    BindBit(chkBlAlarm, WordOptions4, 0x0200);
    BindField(
        cmbPageChannel, WordTxTimeoutPageChannel, 0xFF00, [this](int index) { FillChannelCombo(index); },
        [this] { return pageChannel_->CheckedIndex(); });
    BindValue(hsbPagerRpts, WordPageAlarmRepeats, 0x00FF);
    BindValue(hsbAlarmRpts, WordPageAlarmRepeats, 0xFF00);
    BindChoice(rbAlarmStandard, WordOptions4, BitStandardTiming, 1);
    BindChoice(rbAlarmReset, WordOptions4, BitStandardTiming, 0);
    WriteWholeWords();
    BindOkCancel(OKBtn, CancelBtn);

    connect(rbAlarmStandard, &QRadioButton::clicked, this, &TfrmPageAlarm::rbAlarmStandardClick);
    connect(rbAlarmReset, &QRadioButton::clicked, this, &TfrmPageAlarm::rbAlarmStandardClick);
    for (QScrollBar* bar : {hsbAlarmOn, hsbAlarmOff, hsbAlarmRepeats})
        connect(bar, &QScrollBar::valueChanged, this, [this, bar] { hsbAlarmOnChange(bar); });
    for (QScrollBar* bar : {hsbPagerRpts, hsbAlarmRpts})
        connect(bar, &QScrollBar::valueChanged, this, &TfrmPageAlarm::hsbPagerRptsChange);

    THelpPane* help = SetHelpPane(HelpText, OKBtn, CancelBtn);
    help->Bind(gbAlarm,
               "The alarm option functionality is built into the operating firmware. The hardware is not factory "
               "fitted to the main and front panel PCBs. If the alarm option is required, these additional components "
               "must be fitted. Please contact your nearest Navar service centre for fitting instructions.",
               true);
    auto labelled = [help](std::initializer_list<QWidget*> labels, QWidget* control, const QString& sentence) {
        for (QWidget* label : labels)
            help->Bind(label, sentence, true);
        help->BindFocus(control, sentence);
    };
    labelled({lblPageChannel}, cmbPageChannel, "Set the channel to use for transmit of Page or Alarm");
    help->Bind(chkPageAppendAni, "Enable ANI to be attached to the Page or Alarm call");
    help->Bind(chkBlPage, "Enable Page to check for a busy signal before the call");
    help->Bind(chkBlAlarm, "Enable Alarm to check for a busy signal before the call");
    labelled({lblPagerRptslbl, lblPagerRpts}, hsbPagerRpts, "Number of times to send the page selcall");
    labelled({lblAlarmRptslbl, lblAlarmRpts}, hsbAlarmRpts, "Number of times to send the alarm selcall");
    labelled({lblAlarmOn, lblAlarmOnValue}, hsbAlarmOn, "Set the time the Alarm output will be on for");
    labelled({lblAlarmOff, lblAlarmOffValue}, hsbAlarmOff, "Set the time the Alarm output will be off for");
    labelled({lblAlarmRepeats}, hsbAlarmRepeats, "Set the number of cycles for the Alarm output on / off");
    help->BindSilent(ui->gbPageAlarmIn);
    help->BindSilent(ui->pnlBottom);
    // Controls without help leave the pane as it is (watched after the pane, so first).
    for (QWidget* w : std::initializer_list<QWidget*>{rbAlarmStandard, rbAlarmReset, lblAlarmRepeatsValue})
        KeepHelp(w);

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TfrmPageAlarm::~TfrmPageAlarm()
{
    if (frmPageAlarm == this)
        frmPageAlarm = nullptr;
    delete ui;
}

void TfrmPageAlarm::FillChannelCombo(int index)
{
    cmbPageChannel->clear();
    for (int i = 0; i < kr72map::CbChannelCount; ++i)
        cmbPageChannel->addItem(kr72map::ChannelName(i));
    cmbPageChannel->setCurrentIndex(index >= 0 && index < kr72map::CbChannelCount ? index : 0);
}

void TfrmPageAlarm::LoadControls()
{
    // Whole words, clamped into the bars' ranges for display; OK stores the clamped values.
    const TRadioImage& img = image();
    hsbAlarmOn->setValue(img.Get(kr72map::WordAlarmOnTime));
    hsbAlarmOff->setValue(img.Get(kr72map::WordAlarmOffTime));
    hsbAlarmRepeats->setValue((img.Get(kr72map::WordMuteOnAlarmCycles) & 0xFFFF) >> CyclesShift);
    for (QScrollBar* bar : {hsbAlarmOn, hsbAlarmOff, hsbAlarmRepeats})
        hsbAlarmOnChange(bar);
    rbAlarmStandardClick();
    hsbPagerRptsChange();

    // What the selcall window shows now, stored or not.
    const bool page = selcall_ && selcall_->PageEnabled();
    const bool alarm = selcall_ && selcall_->AlarmInEnabled();
    for (QWidget* w : std::initializer_list<QWidget*>{lblPageChannel, cmbPageChannel, chkPageAppendAni})
        w->setEnabled(page || alarm);
    for (QWidget* w : std::initializer_list<QWidget*>{chkBlPage, lblPagerRptslbl, hsbPagerRpts, lblPagerRpts})
        w->setEnabled(page);
    for (QWidget* w : std::initializer_list<QWidget*>{chkBlAlarm, lblAlarmRptslbl, hsbAlarmRpts, lblAlarmRpts})
        w->setEnabled(alarm);
}

void TfrmPageAlarm::StoreControls()
{
    TRadioImage& img = image();
    const std::int32_t w18 = img.Get(kr72map::WordMuteOnAlarmCycles) & 0x00FF;
    if (rbAlarmStandard->isChecked()) {
        img.Set(kr72map::WordAlarmOnTime, StandardOnTime);
        img.Set(kr72map::WordAlarmOffTime, StandardOffTime);
        img.Set(kr72map::WordMuteOnAlarmCycles, w18 | (StandardCycles << CyclesShift));
    } else {
        img.Set(kr72map::WordAlarmOnTime, hsbAlarmOn->value());
        img.Set(kr72map::WordAlarmOffTime, hsbAlarmOff->value());
        img.Set(kr72map::WordMuteOnAlarmCycles, w18 | (hsbAlarmRepeats->value() << CyclesShift));
    }
}

void TfrmPageAlarm::rbAlarmStandardClick()
{
    const bool standard = rbAlarmStandard->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{lblAlarmOn, lblAlarmOnValue, hsbAlarmOn, lblAlarmOff,
                                                      lblAlarmOffValue, hsbAlarmOff, lblAlarmRepeats,
                                                      lblAlarmRepeatsValue, hsbAlarmRepeats})
        w->setEnabled(!standard);
    if (standard) {
        lblAlarmOnValue->setText("300mSec");
        lblAlarmOffValue->setText("1700mSec");
        lblAlarmRepeatsValue->setText("5");
    } else {
        for (QScrollBar* bar : {hsbAlarmOn, hsbAlarmOff, hsbAlarmRepeats})
            hsbAlarmOnChange(bar);
    }
}

QString TfrmPageAlarm::AlarmTimeText(int position)
{
    if (position < 100)
        return QString::number(position * 100) + "mSec";
    if (position < 600)
        return QString::number(position / 10) + "Sec";
    return QString::number(position / 600) + "Minutes";
}

void TfrmPageAlarm::hsbAlarmOnChange(QObject* sender)
{
    if (sender == hsbAlarmRepeats) {
        lblAlarmRepeatsValue->setText(QString::number(hsbAlarmRepeats->value()));
        return;
    }
    QScrollBar* bar = sender == hsbAlarmOn ? hsbAlarmOn : sender == hsbAlarmOff ? hsbAlarmOff : nullptr;
    if (!bar)
        return;
    const int p = bar->value();
    (bar == hsbAlarmOn ? lblAlarmOnValue : lblAlarmOffValue)->setText(AlarmTimeText(p));
    // Coarser steps for longer times, from the bar's next step on.
    const int step = p < 100 ? 1 : p < 600 ? 10 : 60;
    bar->setSingleStep(step);
    bar->setPageStep(step * 10);
}

void TfrmPageAlarm::hsbPagerRptsChange()
{
    lblPagerRpts->setText(QString::number(hsbPagerRpts->value()));
    lblAlarmRpts->setText(QString::number(hsbAlarmRpts->value()));
}
