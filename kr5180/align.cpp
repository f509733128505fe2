#include "align.h"
#include "ui_align.h"

#include "eeprom.h"
#include "radio.h"

#include <platform/misc.h>
#include <platform/msgbox.h>
#include <platform/safefile.h>
#include <widgets/mousebuttons.h>
#include <widgets/wheelguard.h>

#include <QButtonGroup>
#include <QFile>
#include <QShowEvent>
#include <QTimer>

#include <utility>
#include <vector>

TformAlign* formAlign = nullptr;

namespace {

constexpr int FirstCb = ee::ChannelCodeOffset + 1;                   // CB 1
constexpr int LastCb = ee::ChannelCodeOffset + ee::CbChannels;       // CB 40
constexpr int FirstRx = ee::ChannelCodeOffset + ee::FirstRxChannel;  // receive-only 41
constexpr int LastRx = ee::ChannelCodeOffset + ee::LastRxChannel;    // receive-only 60
constexpr int LastRxCodeByRule = ee::ChannelCodeOffset + 80;
constexpr unsigned CbBaseHz = 476400000u, CbStepHz = 25000u;
constexpr unsigned AlignFreqHz[3] = {450000000u, 477000000u, 504000000u};
constexpr int RssiAdc = 3;
constexpr int RssiPollMs = 400, KeyFirstRepeatMs = 500, KeyRepeatMs = 100;
constexpr int SMeterSamples = 16, OfflineSampleMs = 35, OfflineSMeterReading = 35, OfflineRssi = 128;
constexpr int TaggedBelow = 29;
constexpr int DefaultFileBytes = 28;
constexpr int ColourReceive = 65280, ColourTransmit = 255; // BGR

const char* const TagProperty = "Tag";

int TagOf(const QObject* o)
{
    return o->property(TagProperty).toInt();
}

QString MHz(unsigned hz)
{
    return QString::asprintf("%08.4f", hz * 1e-6);
}

QString Bgr(int colour)
{
    return QStringLiteral("background-color: #%1%2%3;")
        .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

} // namespace

TformAlign::TformAlign(KR5100* radio, EEPROM* image, QWidget* parent)
    : QDialog(parent), TimerRSSI(new QTimer(this)), KeyTimer(new QTimer(this)), ui(new Ui::TformAlign), radio(radio),
      image(image)
{
    ui->setupUi(this);
    TimerRSSI->setObjectName(QStringLiteral("TimerRSSI"));
    KeyTimer->setObjectName(QStringLiteral("KeyTimer"));

    auto* freqGroup = new QButtonGroup(this);
    freqGroup->setObjectName(QStringLiteral("rgAlignFreqButtons"));
    freqGroup->addButton(ui->rgAlignFreq0, 0);
    freqGroup->addButton(ui->rgAlignFreq1, 1);
    freqGroup->addButton(ui->rgAlignFreq2, 2);
    connect(freqGroup, &QButtonGroup::idClicked, this, [this] { rgAlignFreqClick(); });

    ui->BitBtnUp->setProperty(TagProperty, 1);
    ui->BitBtnDown->setProperty(TagProperty, 0);
    for (QPushButton* b : {ui->BitBtnUp, ui->BitBtnDown})
        BindMouseDownUp(b, [this, b] { BitBtnUpMouseDown(TagOf(b)); }, [this] { BitBtnUpMouseUp(); });
    connect(KeyTimer, &QTimer::timeout, this, &TformAlign::KeyTimerTimer);
    connect(TimerRSSI, &QTimer::timeout, this, &TformAlign::TimerRSSITimer);
    connect(ui->btnClose, &QPushButton::clicked, this, &TformAlign::btnCloseClick);
    connect(ui->PageControl1, &QTabWidget::currentChanged, this, &TformAlign::PageControl1Change);
    connect(ui->btnPTT, &QPushButton::clicked, this, &TformAlign::btnPTTClick);
    connect(ui->btnSquelch, &QPushButton::clicked, this, &TformAlign::btnSquelchClick);
    connect(ui->chk_rssipolling, &QCheckBox::clicked, this, &TformAlign::chk_rssipollingClick);
    connect(ui->chk_rssipolling2, &QCheckBox::clicked, this, &TformAlign::chk_rssipolling2Click);
    connect(ui->btnSetS1, &QPushButton::clicked, this, &TformAlign::btnSetS1Click);
    connect(ui->btnSetS10, &QPushButton::clicked, this, &TformAlign::btnSetS10Click);
    for (QPushButton* b : {ui->btnSetDefaultsTransmitter, ui->btnSetDefaultsReceiver, ui->btnSetDefaultsPLLref,
                           ui->btnSetDefaultsSMeter})
        connect(b, &QPushButton::clicked, this, [this, b] { btnSetDefaultsClick(b); });
    for (QSpinBox* ud : findChildren<QSpinBox*>()) {
        connect(ud, &QSpinBox::valueChanged, this, [this, ud] {
            if (!loading)
                udAlignClick(ud);
        });
        // A value change reaches the radio: the wheel changes only the box with the focus.
        TWheelGuard::Install(ud);
    }

    if (!formAlign)
        formAlign = this;
    FormCreate();
}

TformAlign::~TformAlign()
{
    if (formAlign == this)
        formAlign = nullptr;
    delete ui;
}

void TformAlign::SetControlTags()
{
    const std::pair<QSpinBox*, int> tags[] = {
        {ui->udMod, ee::Modulation},   {ui->udBal, ee::Balance},       {ui->udRfPowerHi, ee::PowerHigh},
        {ui->udRfPowerLo, ee::PowerOverVoltage}, {ui->udPLL_Freq, ee::PllTrim}, {ui->udTempCo, ee::TempCo},
        {ui->udS1, ee::SMeterS1},      {ui->udS10, ee::SMeterS9},
    };
    for (const auto& [ud, address] : tags)
        ud->setProperty(TagProperty, address);
    // Tt at Fk: 2 + 4 (k - 1) + (t - 1).
    for (int k = 1; k <= 3; ++k)
        for (int t = 1; t <= 4; ++t)
            findChild<QSpinBox*>(QStringLiteral("udT%1_F%2").arg(t).arg(k))
                ->setProperty(TagProperty, ee::FrontEnd + 4 * (k - 1) + (t - 1));
}

void TformAlign::FormCreate()
{
    defaultFileName = QStringLiteral("defkr5180.mem");
    KeyTimer->stop();
    transmitting = false;
    ShowTxRx();
    SetControlTags();
    // T1 is shown but not adjusted here.
    for (QWidget* w : {static_cast<QWidget*>(ui->LabelT1), static_cast<QWidget*>(ui->udT1_F1),
                       static_cast<QWidget*>(ui->udT1_F2), static_cast<QWidget*>(ui->udT1_F3)})
        w->setEnabled(false);
}

void TformAlign::SetOffline(int flag)
{
    offline = flag != 0;
}

void TformAlign::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TformAlign::FormShow()
{
    StopRssiPolling();
    ui->editChannel->setEnabled(true);
    SetAlignFreqIndex(-1);

    if (offline) {
        ui->lblOffline->show();
        radio->currentChannel = FirstCb;
        squelchState = 0;
    } else {
        ui->lblOffline->hide();
        radio->QueryChannel();
        int status = 0;
        radio->QueryStatus(&status);
        squelchState = static_cast<unsigned char>(status & 0xFF);
    }
    ShowChannel(radio->currentChannel);
    ChannelToFrequency(radio->currentChannel);
    ShowFrequency();
    ShowBusy();
    ShowTxRx();
    LoadUpDowns();
}

void TformAlign::LoadUpDowns()
{
    for (QSpinBox* ud : findChildren<QSpinBox*>()) {
        const int value = image->GetByte(TagOf(ud));
        SetUpDown(ud, value < 0 ? 0 : value);
    }
}

void TformAlign::SetUpDown(QSpinBox* upDown, int value)
{
    loading = true;
    upDown->setValue(value);
    loading = false;
}

QSpinBox* TformAlign::UpDownFor(int address) const
{
    for (QSpinBox* ud : findChildren<QSpinBox*>())
        if (TagOf(ud) == address)
            return ud;
    return nullptr;
}

void TformAlign::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TformAlign::FormClose()
{
    StopPollingAndUncheck();
    KeyTimer->stop();
    // A keyed transmitter must never outlive its window.
    if (transmitting) {
        transmitting = false;
        ShowTxRx();
        if (!offline)
            radio->SetPtt(0);
    }
}

void TformAlign::btnCloseClick()
{
    StopPollingAndUncheck();
    close();
}

void TformAlign::PageControl1Change()
{
    StopPollingAndUncheck();
}

// ---- channel and frequency ----

void TformAlign::ShowChannel(int code)
{
    const int n = code > ee::ChannelCodeOffset ? code - ee::ChannelCodeOffset : code;
    ui->editChannel->setText(QString::asprintf("%02d", n));
}

void TformAlign::ChannelToFrequency(int code)
{
    if (code >= FirstCb && code <= LastCb) {
        frequencyHz = CbBaseHz + unsigned(code - ee::ChannelCodeOffset) * CbStepHz;
    } else if (code >= FirstRx && code <= LastRx) {
        const int word = image->GetWord(ee::RxChannels + 2 * (code - FirstRx));
        frequencyHz = (word < 0 || word == 0xFFFF) ? 0 : unsigned(word) * ee::ChannelStepHz;
    } else if (code > LastRx && code <= LastRxCodeByRule) {
        frequencyHz = 0; // no such channel in the radio: no word in the image
    }
}

void TformAlign::ShowFrequency()
{
    ui->lblRxFreq->setText(MHz(frequencyHz));
}

void TformAlign::ShowBusy()
{
    ui->lblSQL->setVisible(squelchState & 1);
}

void TformAlign::ShowTxRx()
{
    ui->panelTxRx->setText(transmitting ? QStringLiteral("TRANSMIT") : QStringLiteral("RECEIVE"));
    ui->panelTxRx->setStyleSheet(Bgr(transmitting ? ColourTransmit : ColourReceive));
}

void TformAlign::BitBtnUpMouseDown(int tag)
{
    SetAlignFreqIndex(-1);
    ui->editChannel->setEnabled(true);
    keyDirection = tag;
    ChannelUpDown(tag == 1 ? 1 : -1);
    KeyTimer->setInterval(KeyFirstRepeatMs);
    KeyTimer->start();
}

void TformAlign::KeyTimerTimer()
{
    KeyTimer->setInterval(KeyRepeatMs);
    ChannelUpDown(keyDirection == 1 ? 1 : -1);
}

void TformAlign::BitBtnUpMouseUp()
{
    KeyTimer->stop();
}

void TformAlign::ChannelUpDown(int direction)
{
    if (offline) {
        int code = radio->currentChannel + (direction >= 0 ? 1 : -1);
        if (direction >= 0 && code > LastCb)
            code = FirstCb;
        if (direction < 0 && code < FirstCb)
            code = LastCb;
        radio->currentChannel = code;
    } else {
        radio->StepChannel(direction);
    }
    ShowChannel(radio->currentChannel);
    ChannelToFrequency(radio->currentChannel);
    ShowFrequency();
}

int TformAlign::AlignFreqIndex() const
{
    const QRadioButton* items[3] = {ui->rgAlignFreq0, ui->rgAlignFreq1, ui->rgAlignFreq2};
    for (int i = 0; i < 3; ++i)
        if (items[i]->isChecked())
            return i;
    return -1;
}

void TformAlign::SetAlignFreqIndex(int index)
{
    QRadioButton* items[3] = {ui->rgAlignFreq0, ui->rgAlignFreq1, ui->rgAlignFreq2};
    QButtonGroup* group = items[0]->group();
    group->setExclusive(false);
    for (int i = 0; i < 3; ++i)
        items[i]->setChecked(i == index);
    group->setExclusive(true);
}

void TformAlign::rgAlignFreqClick()
{
    const int index = AlignFreqIndex();
    if (index < 0)
        return;
    const unsigned hz = AlignFreqHz[index];
    if (!offline)
        radio->SetFrequency(int(hz / ee::ChannelStepHz));
    ui->editChannel->setEnabled(false);
    ui->lblRxFreq->setText(MHz(hz));
}

// ---- calibration values ----

void TformAlign::WriteError()
{
    platform::MessageBox(QStringLiteral("Error occurred while writing to radio."), QStringLiteral("Error"),
                         platform::MB_ICONEXCLAMATION);
}

void TformAlign::udAlignClick(QSpinBox* upDown)
{
    const int value = upDown->value();
    const int address = TagOf(upDown);
    if (address >= TaggedBelow)
        return;
    image->SetByte(address, value);
    if (!offline && radio->WriteByte(address, value) != 0)
        WriteError();
}

// ---- transmitter and squelch ----

void TformAlign::btnPTTClick()
{
    transmitting = !transmitting;
    ShowTxRx();
    if (!offline)
        radio->SetPtt(transmitting ? 1 : 0);
}

void TformAlign::btnSquelchClick()
{
    if (offline) {
        squelchState ^= 1;
    } else if (squelchState & 1) {
        radio->SetSquelch(0);
        squelchState &= ~1;
    } else {
        radio->SetSquelch(1);
        squelchState |= 1;
    }
    ShowBusy();
}

// ---- RSSI ----

void TformAlign::chk_rssipollingClick()
{
    if (ui->chk_rssipolling->isChecked()) {
        pollMode = 1;
        StartRssiPolling(RssiAdc);
    } else {
        StopRssiPolling();
    }
}

void TformAlign::chk_rssipolling2Click()
{
    if (ui->chk_rssipolling2->isChecked()) {
        pollMode = 3;
        StartRssiPolling(RssiAdc);
    } else {
        StopRssiPolling();
    }
}

void TformAlign::StartRssiPolling(int index)
{
    rssiChannel = index;
    TimerRSSI->setInterval(RssiPollMs);
    TimerRSSI->start();
}

void TformAlign::StopRssiPolling()
{
    TimerRSSI->stop();
}

void TformAlign::StopPollingAndUncheck()
{
    ui->chk_rssipolling->setChecked(false);
    ui->chk_rssipolling2->setChecked(false);
    StopRssiPolling();
}

void TformAlign::TimerRSSITimer()
{
    int reading = OfflineRssi;
    // A reading that did not arrive leaves the box empty, never showing an old value.
    // While a timed-out poll's reply may still come, a tick sends nothing: that reply
    // would be taken for this poll's.
    QString text;
    if (offline || (radio->LateReplyDue() == 0 && radio->ReadAdc(rssiChannel, &reading) == 0))
        text = QString::number(reading);
    if (pollMode == 1)
        ui->editRSSI->setText(text);
    else if (pollMode == 3)
        ui->editRSSI2->setText(text);
}

// ---- S-meter ----

void TformAlign::btnSetS1Click()
{
    CalibrateSMeter(1);
}

void TformAlign::btnSetS10Click()
{
    CalibrateSMeter(2);
}

void TformAlign::CalibrateSMeter(int which)
{
    QPushButton* pressed = which == 1 ? ui->btnSetS1 : ui->btnSetS10;
    pressed->setEnabled(false);
    StopRssiPolling();

    int sum = 0;
    bool failed = false;
    // A poll's late reply must not count as the first sample.
    if (!offline)
        radio->WaitLateReply();
    for (int i = 0; i < SMeterSamples; ++i) {
        int reading = OfflineSMeterReading;
        if (offline) {
            platform::Sleep(OfflineSampleMs);
        } else if (radio->ReadAdc(RssiAdc, &reading) != 0) {
            failed = true;
            break;
        }
        sum += reading & 0xFF;
    }
    ui->btnSetS1->setEnabled(true);
    ui->btnSetS10->setEnabled(true);

    if (failed) {
        platform::MessageBox(QStringLiteral("S-Meter calibration not complete"), QStringLiteral("Error"),
                             platform::MB_ICONEXCLAMATION);
    } else {
        const int level = sum >> 4;
        const int address = which == 1 ? ee::SMeterS1 : ee::SMeterS9;
        SetUpDown(which == 1 ? ui->udS1 : ui->udS10, level);
        if (!offline && radio->WriteByte(address, level) != 0)
            WriteError();
        image->SetByte(address, level);
    }
    if (ui->chk_rssipolling2->isChecked()) {
        pollMode = 3;
        StartRssiPolling(RssiAdc);
    }
}

// ---- defaults ----

bool TformAlign::ReadDefaultFile(unsigned char* bytes)
{
    // Only a regular file: a pipe or device of that name would block the window.
    if (!platform::IsRegularFile(defaultFileName))
        return false;
    QFile file(defaultFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 n = file.read(reinterpret_cast<char*>(bytes), DefaultFileBytes);
    file.close();
    return n == DefaultFileBytes;
}

void TformAlign::btnSetDefaultsClick(QObject* sender)
{
    if (!offline && platform::MessageBox(QStringLiteral("This will change the calibration of the radio."),
                                         QStringLiteral("Set Defaults"),
                                         platform::MB_ICONEXCLAMATION | platform::MB_OKCANCEL) != platform::IDOK)
        return;

    unsigned char file[DefaultFileBytes];
    if (!ReadDefaultFile(file)) {
        platform::MessageBox(QStringLiteral("Error reading default file: ") + defaultFileName, QStringLiteral("Error"),
                             platform::MB_ICONEXCLAMATION);
        return;
    }

    std::vector<int> group;
    bool stopAtFailure = false;
    if (sender == ui->btnSetDefaultsTransmitter) {
        group = {ee::Modulation, ee::Balance, ee::PowerHigh, ee::PowerOverVoltage};
    } else if (sender == ui->btnSetDefaultsReceiver) {
        for (int a = ee::FrontEnd; a < ee::FrontEnd + 12; ++a)
            group.push_back(a);
        stopAtFailure = true;
    } else if (sender == ui->btnSetDefaultsPLLref) {
        group = {ee::PllTrim, ee::TempCo};
    } else if (sender == ui->btnSetDefaultsSMeter) {
        group = {ee::SMeterS1, ee::SMeterS9};
    }

    for (int address : group) {
        image->SetByte(address, file[address]);
        if (QSpinBox* ud = UpDownFor(address))
            SetUpDown(ud, image->GetByte(address));
    }
    if (offline)
        return;
    bool failed = false;
    for (int address : group) {
        if (radio->WriteByte(address, file[address]) != 0) {
            failed = true;
            if (stopAtFailure)
                break;
        }
    }
    if (failed)
        WriteError();
}
