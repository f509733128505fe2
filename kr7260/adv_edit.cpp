#include "adv_edit.h"
#include "ui_adv_edit.h"

#include "kr72wire.h"
#include "main.h"
#include "radio_rw.h"
#include "ser_com.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

TfrmAdvanced* frmAdvanced = nullptr;

namespace {
constexpr int DisplayTickMs = 200;
// "Load Defaults Levels": the blocks written at 0 and 1 carry words 0 to 8, so the
// radio's own words 0 to 8 are read first (blocks at 0 and 8).
constexpr int DefaultsLastWord = 8;
// Marks an image word the read has not yet filled: the radio's words are 0..65535.
constexpr std::int32_t NotRead = -1;

QString Milliseconds(int position) { return QString::number(position * 10) + " mSec"; }

// Keeps live levels out of the image while it lives, then puts the gate back as it was.
class LiveGateShut {
public:
    explicit LiveGateShut(TRadioImage& image) : image_(image), was_(image.SetLiveGate(false)) {}
    ~LiveGateShut() { image_.SetLiveGate(was_); }
    LiveGateShut(const LiveGateShut&) = delete;
    LiveGateShut& operator=(const LiveGateShut&) = delete;

private:
    TRadioImage& image_;
    bool was_;
};
} // namespace

std::uint8_t SquelchSlope(int potPercent, int threshold, int tight)
{
    const std::uint32_t m = 255u - std::uint32_t(potPercent) * 255u / 100u;
    // Unsigned: a threshold below its tight level gives a divisor above the dividend.
    const std::uint32_t span = std::uint32_t(threshold - tight);
    if (span == 0)
        return 0xFF; // no band at all: the steepest slope a byte holds
    return std::uint8_t((m * 10u) / span);
}

TfrmAdvanced::TfrmAdvanced(QWidget* parent) : TEditorForm(parent), ui(new Ui::TfrmAdvanced)
{
    ui->setupUi(this);
    pageEngOptions = ui->pageEngOptions;
    tabSquelch = ui->tabSquelch;
    hsbMuteOffDebounce = ui->hsbMuteOffDebounce;
    hsbMuteIgnore = ui->hsbMuteIgnore;
    hsbMuteOnDebounce = ui->hsbMuteOnDebounce;
    hsbSqlOpenTight = ui->hsbSqlOpenTight;
    hsbSqlOpenThreshold = ui->hsbSqlOpenThreshold;
    hsbSqlCloseTight = ui->hsbSqlCloseTight;
    hsbSqlCloseThreshold = ui->hsbSqlCloseThreshold;
    hsbSqlPotThreshold = ui->hsbSqlPotThreshold;
    lblMuteOffDebounceValue = ui->lblMuteOffDebounceValue;
    lblMuteIgnoreValue = ui->lblMuteIgnoreValue;
    lblMuteOnDebounceValue = ui->lblMuteOnDebounceValue;
    lblSqlOpenTight = ui->lblSqlOpenTight;
    lblSqlOpenThreshold = ui->lblSqlOpenThreshold;
    lblSqlCloseTight = ui->lblSqlCloseTight;
    lblSqlCloseThreshold = ui->lblSqlCloseThreshold;
    lblSqlPotThreshold = ui->lblSqlPotThreshold;
    chkSMeterEnabled = ui->chkSMeterEnabled;
    txtS0 = ui->txtS0;
    txtS9 = ui->txtS9;
    lblBusyVoltage = ui->lblBusyVoltage;
    lblRssi = ui->lblRssi;
    btnS0 = ui->btnS0;
    btnS9 = ui->btnS9;
    btnSMeterDefaults = ui->btnSMeterDefaults;
    Button1 = ui->Button1;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;

    using namespace kr72map;
    BindBit(chkSMeterEnabled, WordOptions3, 0x0002);
    BindValue(hsbMuteOffDebounce, WordMuteTiming, 0xFF00);
    BindValue(hsbMuteIgnore, WordMuteTiming, 0x00FF);
    BindValue(hsbMuteOnDebounce, WordMuteOnAlarmCycles, 0x00FF);
    BindValue(hsbSqlOpenTight, WordSqlOpen, 0x00FF);
    BindValue(hsbSqlOpenThreshold, WordSqlOpen, 0xFF00);
    BindValue(hsbSqlCloseTight, WordSqlClose, 0x00FF);
    BindValue(hsbSqlCloseThreshold, WordSqlClose, 0xFF00);
    BindValue(hsbSqlPotThreshold, WordTxDelaySquelchPot, 0xFF00);
    BindOkCancel(OKBtn, CancelBtn);

    for (QScrollBar* bar : {hsbMuteOffDebounce, hsbMuteIgnore, hsbMuteOnDebounce})
        connect(bar, &QScrollBar::valueChanged, this, &TfrmAdvanced::hsbPSHoldOnTimeChange);
    for (QScrollBar* bar : {hsbSqlOpenTight, hsbSqlOpenThreshold, hsbSqlCloseTight, hsbSqlCloseThreshold,
                            hsbSqlPotThreshold})
        connect(bar, &QScrollBar::valueChanged, this, &TfrmAdvanced::hsbSqlOpenTightChange);
    for (QPushButton* b : {btnS0, btnS9})
        connect(b, &QPushButton::clicked, this, [this, b] { btnS0Click(b); });
    connect(Button1, &QPushButton::clicked, this, &TfrmAdvanced::Button1Click);
    connect(btnSMeterDefaults, &QPushButton::clicked, this, &TfrmAdvanced::btnSMeterDefaultsClick);

    THelpPane* help = SetHelpPane(ui->HelpText, OKBtn, CancelBtn);
    for (QWidget* w : {static_cast<QWidget*>(ui->lblMuteOffDebounce), static_cast<QWidget*>(hsbMuteOffDebounce),
                       static_cast<QWidget*>(lblMuteOffDebounceValue)})
        help->Bind(w, "Two valid samples are required in this time to unmute the radio.");
    for (QWidget* w : {static_cast<QWidget*>(ui->lblMuteIgnore), static_cast<QWidget*>(hsbMuteIgnore),
                       static_cast<QWidget*>(lblMuteIgnoreValue)})
        help->Bind(w, "Minimum time delay between mute open and mute close.");
    for (QWidget* w : {static_cast<QWidget*>(ui->lblMuteOnDebounce), static_cast<QWidget*>(hsbMuteOnDebounce),
                       static_cast<QWidget*>(lblMuteOnDebounceValue)})
        help->Bind(w, "Two valid samples are required in this time to mute the radio.");
    help->Bind(chkSMeterEnabled, "Enable S-meter to be displayed.");
    help->Bind(btnS0, "After the RF generator is set to the correct level press the button.");
    help->Bind(btnS9, "After the RF generator is set to the correct level press the button.");
    // Every other control empties the pane.
    for (QWidget* w : {static_cast<QWidget*>(hsbSqlOpenTight), static_cast<QWidget*>(hsbSqlOpenThreshold),
                       static_cast<QWidget*>(hsbSqlCloseTight), static_cast<QWidget*>(hsbSqlCloseThreshold),
                       static_cast<QWidget*>(hsbSqlPotThreshold), static_cast<QWidget*>(txtS0),
                       static_cast<QWidget*>(txtS9), static_cast<QWidget*>(btnSMeterDefaults),
                       static_cast<QWidget*>(Button1)})
        help->Bind(w, QString());
    for (QWidget* w : {static_cast<QWidget*>(pageEngOptions), static_cast<QWidget*>(tabSquelch),
                       static_cast<QWidget*>(ui->grpMuteTiming), static_cast<QWidget*>(ui->grpMuteSetup),
                       static_cast<QWidget*>(ui->grpSMeter)})
        help->BindSilent(w);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(DisplayTickMs);
    connect(Timer1, &QTimer::timeout, this, &TfrmAdvanced::Timer1Timer);
    Timer1->start();

    FormCreate();
}

TfrmAdvanced::~TfrmAdvanced()
{
    if (frmAdvanced == this)
        frmAdvanced = nullptr;
    delete ui;
}

void TfrmAdvanced::FormCreate() { pageEngOptions->setCurrentWidget(tabSquelch); }

void TfrmAdvanced::ConnectLink()
{
    TfrmSerial* l = link();
    if (l == connectedLink_)
        return;
    if (connectedLink_)
        disconnect(connectedLink_, nullptr, this, nullptr);
    connectedLink_ = l;
    // The parser thread's replies reach the boxes on this thread.
    if (l)
        connect(l, &TfrmSerial::sMeterLevel, this, &TfrmAdvanced::SMeterReply, Qt::QueuedConnection);
}

void TfrmAdvanced::LoadControls()
{
    ConnectLink();
    image().SetLiveGate(true);
    ShowLevels(image().Get(kr72map::WordSMeter));
    hsbPSHoldOnTimeChange();
    hsbSqlOpenTightChange();
}

void TfrmAdvanced::done(int result)
{
    // A level asked for now and answered after the window closed must not reach the image.
    image().SetLiveGate(false);
    TEditorForm::done(result);
}

void TfrmAdvanced::StoreControls()
{
    using namespace kr72map;
    TRadioImage& img = image();
    // Words 14, 15 and 17 are stored whole: their two bytes and nothing above.
    for (int w : {WordMuteTiming, WordSqlOpen, WordSqlClose})
        img.Set(w, img.Get(w) & 0xFFFF);
    const int pot = hsbSqlPotThreshold->value();
    const int open = SquelchSlope(pot, hsbSqlOpenThreshold->value(), hsbSqlOpenTight->value());
    const int close = SquelchSlope(pot, hsbSqlCloseThreshold->value(), hsbSqlCloseTight->value());
    img.Set(WordSqlSlopes, (open << 8) | close);
}

void TfrmAdvanced::ShowLevels(std::int32_t word1)
{
    txtS9->setText(QString::number(word1 & 0xFF));
    txtS0->setText(QString::number((word1 >> 8) & 0xFF));
}

void TfrmAdvanced::hsbPSHoldOnTimeChange()
{
    lblMuteOffDebounceValue->setText(Milliseconds(hsbMuteOffDebounce->value()));
    lblMuteIgnoreValue->setText(Milliseconds(hsbMuteIgnore->value()));
    lblMuteOnDebounceValue->setText(Milliseconds(hsbMuteOnDebounce->value()));
}

void TfrmAdvanced::hsbSqlOpenTightChange()
{
    lblSqlOpenTight->setText(QString::number(hsbSqlOpenTight->value()));
    lblSqlOpenThreshold->setText(QString::number(hsbSqlOpenThreshold->value()));
    lblSqlCloseTight->setText(QString::number(hsbSqlCloseTight->value()));
    lblSqlCloseThreshold->setText(QString::number(hsbSqlCloseThreshold->value()));
    lblSqlPotThreshold->setText(QString::number(hsbSqlPotThreshold->value()) + "%");
}

void TfrmAdvanced::btnS0Click(QObject* sender)
{
    ConnectLink();
    TfrmReadWrite* t = transfers();
    if (!t)
        return;
    // The radio takes its present signal as the level and replies with it.
    if (sender == btnS0)
        t->SendSetSMeterS1();
    else if (sender == btnS9)
        t->SendSetSMeterS9();
}

void TfrmAdvanced::Button1Click()
{
    if (TfrmReadWrite* t = transfers())
        t->SendReadSignalStrength();
}

void TfrmAdvanced::Timer1Timer()
{
    const TfrmSerial* l = link();
    if (!l)
        return;
    lblBusyVoltage->setText("Busy = " + QString::number(l->BusyLevel.load()));
    lblRssi->setText("RSSI = " + QString::number(l->RssiLevel.load()));
}

void TfrmAdvanced::SMeterReply(int subCode, int)
{
    // The box shows what word 1 holds: the parser has put the level there already, or
    // kept it out (gate shut, a transfer running), and then the box is left as it was.
    const std::int32_t word1 = image().Get(kr72map::WordSMeter);
    if (subCode == kr72wire::LiveSetS1)
        txtS0->setText(QString::number((word1 >> 8) & 0xFF));
    else if (subCode == kr72wire::LiveSetS9)
        txtS9->setText(QString::number(word1 & 0xFF));
}

bool TfrmAdvanced::LoadDefaultFile()
{
    // Through the main window when it holds this image, so the status line says so.
    if (MainForm && &MainForm->RadioImage == &image())
        return MainForm->LoadImageFile(kr7260app::DefaultFile);
    return image().LoadFromFile(kr7260app::DefaultFile) == TRadioImage::FileStatus::Ok;
}

void TfrmAdvanced::RunTransfer(TfrmReadWrite& dialog, int mode, int start, int end, int showResult)
{
    dialog.StartAddress = start;
    dialog.EndAddress = end;
    dialog.TransferMode = mode;
    dialog.ShowResult = showResult;
    dialog.exec();
}

void TfrmAdvanced::btnSMeterDefaultsClick()
{
    using kr72map::WordSMeter;
    TRadioImage& img = image();
    // A level the radio sends meanwhile must not change the default word 1 the write
    // carries, nor the words the editor gets back.
    const LiveGateShut shut(img);
    const TRadioImage::Words saved = img.Snapshot();
    if (!LoadDefaultFile()) {
        img.Assign(saved);
        return;
    }
    const std::int32_t levels = img.Get(WordSMeter);

    // Only word 1 may change in the radio: the written blocks carry the radio's own words
    // 0 and 2 to 8, so those are read first. A read that did not complete leaves the
    // markers, and then nothing is written.
    if (TfrmReadWrite* rw = transfers()) {
        for (int w = 0; w <= DefaultsLastWord; ++w)
            img.Set(w, NotRead);
        RunTransfer(*rw, kr72state::TransferRead, 0, DefaultsLastWord, 0);
        bool read = true;
        for (int w = 0; w <= DefaultsLastWord; ++w)
            read = read && img.Get(w) >= 0 && img.Get(w) <= 0xFFFF;
        if (read) {
            img.Set(WordSMeter, levels & 0xFFFF);
            RunTransfer(*rw, kr72state::TransferWrite, 0, 1, 1);
        }
    }

    ShowLevels(levels);
    // The editor keeps its own words, with the default levels.
    img.Assign(saved);
    img.Set(WordSMeter, levels);
}
