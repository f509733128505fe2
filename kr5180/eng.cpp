#include "eng.h"

#include "eeprom.h"
#include "radio.h"
#include "radionotify.h"
#include "ui_eng.h"
#include "updown.h"
#include "wire.h"

#include <platform/application.h>
#include <platform/strtoint.h>
#include <widgets/mousebuttons.h>

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

TfrmEngineering* frmEngineering = nullptr;

namespace {

constexpr int DacCount = 8;
constexpr int DacMax = 255;
// Row k of the DAC group drives DAC k of the radio.
const char* const DacNames[DacCount] = {"T4", "T2", "FREF", "BAL", "MOD", "T1", "T3", "RFPWR"};
// editDAC_0 and editDAC_1 take at most three characters; the others have no limit.
constexpr int DacShortEdits = 2;
constexpr int DacShortEditLength = 3;

constexpr int PresetLowHz = 450000000, PresetMidHz = 477000000, PresetHighHz = 504000000;
constexpr int StepsHz[] = {12500, 25000, 100000, 1000000, 10000000}; // by cbFreqStep item
constexpr int FirstRepeatMs = 1000, RepeatMs = 100;

constexpr int CbChannel1 = 1 + ee::ChannelCodeOffset;
constexpr int BeepToneMax = 17, CtcssToneMax = 50, SelcallMax = 17;
constexpr int AlignT1 = 1, AlignT2 = 2, AlignT3 = 4, AlignT4 = 8;
constexpr int LcdMaskAll = 0xFFFF;


// Transmit and receive colours of lblTxRx (red 255 and lime 65280 as BGR values).
const QColor TransmitColour(255, 0, 0);
const QColor ReceiveColour(0, 255, 0);

// The platform's integer conversion. A rejected text shows the platform's message, as the
// application's default handler does, and the caller sends nothing.
bool Convert(const QString& text, int& value)
{
    try {
        value = platform::StrToInt(text);
        return true;
    } catch (const platform::EConvertError& e) {
        platform::ShowException(e);
        return false;
    }
}

// The memory edits hold hexadecimal without a prefix.
bool ConvertHex(const QString& text, int& value) { return Convert(QStringLiteral("0x") + text, value); }

} // namespace

TfrmEngineering::TfrmEngineering(KR5100* radio, EEPROM* image, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(new Ui::TfrmEngineering), radio_(radio), image_(image), TimerKeyHeld(new QTimer(this))
{
    ui->setupUi(this);
    TimerKeyHeld->setObjectName(QStringLiteral("TimerKeyHeld"));
    MakeDacRows();
    editDAC[0]->setFocus(); // the rows close the Tab cycle, so the first row starts it

    ui->udBeepTone->SetRange(0, BeepToneMax);
    ui->udBeepTone->SetAssociate(ui->editBeepTone);
    ui->udCTCSS->SetRange(0, CtcssToneMax);
    ui->udCTCSS->SetAssociate(ui->editCTCSS);
    ui->udSelcall->SetRange(0, SelcallMax);
    ui->udSelcall->SetAssociate(ui->editSelcall);

    // The speed buttons and the beep act on the mouse button alone, as long as it is held.
    BindMouseDownUp(ui->btnFreqInc, [this] { btnFreqIncMouseDown(); }, [this] { btnFreqIncMouseUp(); });
    BindMouseDownUp(ui->btnFreqDec, [this] { btnFreqDecMouseDown(); }, [this] { btnFreqIncMouseUp(); });
    BindMouseDownUp(ui->btnBeep, [this] { btnBeepMouseDown(); }, [this] { btnBeepMouseUp(); });
    connect(TimerKeyHeld, &QTimer::timeout, this, &TfrmEngineering::TimerKeyHeldTimer);
    connect(ui->btn_450, &QPushButton::clicked, this, &TfrmEngineering::btn_450Click);
    connect(ui->btn_477, &QPushButton::clicked, this, &TfrmEngineering::btn_477Click);
    connect(ui->btn_504, &QPushButton::clicked, this, &TfrmEngineering::btn_504Click);
    connect(ui->btnRefreshPLL, &QPushButton::clicked, this, &TfrmEngineering::btnRefreshPLLClick);
    connect(ui->btnReadDAC, &QPushButton::clicked, this, &TfrmEngineering::btnReadDACClick);
    connect(ui->btnPTT, &QPushButton::clicked, this, &TfrmEngineering::btnPTTClick);
    connect(ui->btnSquelch, &QPushButton::clicked, this, &TfrmEngineering::btnSquelchClick);
    connect(ui->btnReset, &QPushButton::clicked, this, &TfrmEngineering::btnResetClick);
    connect(ui->chkTestMode, &QCheckBox::clicked, this, &TfrmEngineering::chkTestModeClick);
    connect(ui->btnSetChannel, &QPushButton::clicked, this, &TfrmEngineering::btnSetChannelClick);
    connect(ui->btnAutoAlign, &QPushButton::clicked, this, &TfrmEngineering::btnAutoAlignClick);
    connect(ui->btnWriteLCD, &QPushButton::clicked, this, &TfrmEngineering::btnWriteLCDClick);
    connect(ui->btnMemWrite, &QPushButton::clicked, this, &TfrmEngineering::btnMemWriteClick);
    connect(ui->btnMemRead, &QPushButton::clicked, this, &TfrmEngineering::btnMemReadClick);
    connect(ui->btnCTCSS, &QPushButton::clicked, this, &TfrmEngineering::btnCTCSSClick);
    connect(ui->btnClose, &QPushButton::clicked, this, &TfrmEngineering::btnCloseClick);

    ShowTxRx();
    FormCreate();
}

TfrmEngineering::~TfrmEngineering()
{
    if (frmEngineering == this)
        frmEngineering = nullptr;
    delete ui;
}

void TfrmEngineering::MakeDacRows()
{
    for (int k = 0; k < DacCount; ++k) {
        auto* label = new QLabel(QString::fromLatin1(DacNames[k]), ui->grpDAC);
        label->setObjectName(QStringLiteral("lblDAC_%1").arg(k));
        auto* edit = new QLineEdit(QStringLiteral("0"), ui->grpDAC);
        edit->setObjectName(QStringLiteral("editDAC_%1").arg(k));
        edit->setProperty("Tag", k);
        edit->setMaximumWidth(50);
        if (k < DacShortEdits)
            edit->setMaxLength(DacShortEditLength);
        edit->installEventFilter(this);
        auto* upDown = new TUpDown(ui->grpDAC);
        upDown->setObjectName(QStringLiteral("udDAC_%1").arg(k));
        upDown->Tag = k;
        upDown->SetRange(0, DacMax);
        upDown->SetAssociate(edit);
        connect(upDown, &TUpDown::clicked, this, [this, upDown] { udDAC_0Click(upDown); });
        ui->layoutDAC->addWidget(label, k, 0);
        ui->layoutDAC->addWidget(edit, k, 1);
        ui->layoutDAC->addWidget(upDown, k, 2);
        editDAC[k] = edit;
        udDAC[k] = upDown;
    }
}

// ---- life cycle ----

void TfrmEngineering::FormCreate()
{
    frequency = PresetMidHz;
    repeatDirection = 0;
    TimerKeyHeld->stop();
    ui->cbFreqStep->setCurrentIndex(0);
    squelchOn = false;
}

void TfrmEngineering::FormShow()
{
    transmitting = false;
    ShowTxRx();
    ShowFrequency();
    TuneFrequency();
    ui->editPLL_R->setText(image_ ? QString::number(image_->GetWord(ee::PllReference)) : QString());
    ui->editIF_OFFSET->setText(image_ ? QString::number(image_->GetWord(ee::IfOffset)) : QString());
}

void TfrmEngineering::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// Whatever way the window goes, nothing it keyed stays keyed: the repeat stops, a held
// beep stops and the transmitter is released.
void TfrmEngineering::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    TimerKeyHeld->stop();
    if (beepOn)
        btnBeepMouseUp();
    if (transmitting)
        btnPTTClick();
}

bool TfrmEngineering::event(QEvent* e)
{
    if (e->type() == WM_RADIO_NOTIFY) {
        const auto* notify = static_cast<TRadioNotifyEvent*>(e);
        RadioNotify(notify->wParam, notify->lParam);
        return true;
    }
    return QDialog::event(e);
}

void TfrmEngineering::RadioNotify(int wParam, int lParam)
{
    // The notification names the command that moved the DACs: transmit on or off, or a
    // service command for transmit or a new frequency.
    const bool dacsMoved = wParam == wire::SetPtt
        || (wParam == wire::Service && (lParam == wire::SetPtt || lParam == wire::SetFrequency));
    if (dacsMoved) {
        if (radio_)
            radio_->ReadDacs(wire::AllDacs);
    }
}

bool TfrmEngineering::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        for (QLineEdit* edit : editDAC) {
            if (watched != edit)
                continue;
            const auto* key = static_cast<QKeyEvent*>(e);
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                editDAC_0KeyPress(edit, QLatin1Char('\r'));
                return true;
            case Qt::Key_Backspace:
                return !editDAC_0KeyPress(edit, QLatin1Char('\b'));
            case Qt::Key_Delete:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
            case Qt::Key_Escape:
                return false; // editing and navigation keys, not characters
            default:
                break;
            }
            if (key->text().isEmpty())
                return false;
            return !editDAC_0KeyPress(edit, key->text().at(0));
        }
    }
    return QDialog::eventFilter(watched, e);
}

// ---- frequency ----

void TfrmEngineering::ShowFrequency()
{
    // "000.000000" MHz, from the integer so no rounding creeps in.
    const long long hz = frequency;
    const long long magnitude = hz < 0 ? -hz : hz;
    ui->editFreq->setText(QString::asprintf("%s%03lld.%06lld", hz < 0 ? "-" : "", magnitude / 1000000, magnitude % 1000000));
}

void TfrmEngineering::TuneFrequency()
{
    if (radio_)
        radio_->SetFrequency(frequency / ee::ChannelStepHz);
}

int TfrmEngineering::GetFreqStep() const
{
    const int index = ui->cbFreqStep->currentIndex();
    if (index < 0 || index >= static_cast<int>(std::size(StepsHz)))
        return 0;
    return StepsHz[index];
}

// The frequency has no limit here; past the 32-bit range it wraps as the radio's count does.
void TfrmEngineering::StepFrequency(int direction)
{
    const unsigned step = static_cast<unsigned>(GetFreqStep());
    const unsigned hz = static_cast<unsigned>(frequency);
    frequency = static_cast<int>(direction > 0 ? hz + step : hz - step);
}

void TfrmEngineering::StartRepeat(int direction)
{
    StepFrequency(direction);
    repeatDirection = direction;
    TimerKeyHeld->setInterval(FirstRepeatMs);
    TimerKeyHeld->start();
    TuneFrequency();
    ShowFrequency();
}

void TfrmEngineering::btnFreqIncMouseDown()
{
    StartRepeat(+1);
}

void TfrmEngineering::btnFreqDecMouseDown()
{
    StartRepeat(-1);
}

void TfrmEngineering::btnFreqIncMouseUp()
{
    TimerKeyHeld->stop();
}

void TfrmEngineering::TimerKeyHeldTimer()
{
    TimerKeyHeld->setInterval(RepeatMs);
    if (repeatDirection > 0)
        StepFrequency(+1);
    else if (repeatDirection < 0)
        StepFrequency(-1);
    else
        TimerKeyHeld->stop();
    TuneFrequency();
    ShowFrequency();
}

void TfrmEngineering::GoToFrequency(int hz)
{
    frequency = hz;
    TuneFrequency();
    ShowFrequency();
}

void TfrmEngineering::btn_450Click()
{
    GoToFrequency(PresetLowHz);
}

void TfrmEngineering::btn_477Click()
{
    GoToFrequency(PresetMidHz);
}

void TfrmEngineering::btn_504Click()
{
    GoToFrequency(PresetHighHz);
}

void TfrmEngineering::btnRefreshPLLClick()
{
    TuneFrequency();
}

// ---- DACs ----

void TfrmEngineering::udDAC_0Click(TUpDown* upDown)
{
    if (radio_)
        radio_->SetDac(upDown->Tag, upDown->Position());
}

bool TfrmEngineering::editDAC_0KeyPress(QLineEdit* edit, QChar key)
{
    if ((key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QLatin1Char('\b'))
        return true;
    if (key != QLatin1Char('\r'))
        return false;
    int value = 0;
    if (!Convert(edit->text(), value))
        return false;
    // A pasted negative number is held at 0 as a large one is at 255: a DAC takes one byte.
    if (value > DacMax || value < 0) {
        value = value > DacMax ? DacMax : 0;
        edit->setText(QString::number(value));
    }
    if (radio_)
        radio_->SetDac(edit->property("Tag").toInt(), value);
    return false;
}

void TfrmEngineering::btnReadDACClick()
{
    if (!radio_)
        return;
    radio_->ReadDacs(wire::AllDacs);
    for (int k = 0; k < DacCount; ++k)
        udDAC[k]->SetPosition(radio_->dacValues[k]);
}

// ---- status panel ----

void TfrmEngineering::btnPTTClick()
{
    transmitting = !transmitting;
    ShowTxRx();
    if (radio_)
        radio_->SetPtt(transmitting ? 1 : 0);
}

void TfrmEngineering::ShowTxRx()
{
    QPalette palette = ui->lblTxRx->palette();
    palette.setColor(QPalette::Window, transmitting ? TransmitColour : ReceiveColour);
    ui->lblTxRx->setPalette(palette);
    ui->lblTxRx->setText(transmitting ? QStringLiteral("TRANSMIT") : QStringLiteral("RECEIVE"));
}

void TfrmEngineering::btnSquelchClick()
{
    squelchOn = !squelchOn;
    if (radio_)
        radio_->SetSquelch(squelchOn ? 1 : 0);
}

void TfrmEngineering::chkTestModeClick()
{
    if (radio_)
        radio_->SetTestMode(ui->chkTestMode->isChecked() ? 1 : 0);
}

void TfrmEngineering::btnResetClick()
{
    if (radio_)
        radio_->ResetRadio();
}

void TfrmEngineering::btnSetChannelClick()
{
    if (radio_)
        radio_->SetChannel(CbChannel1);
}

// ---- tones ----

void TfrmEngineering::btnCTCSSClick()
{
    if (radio_)
        radio_->SetCtcss(ui->udCTCSS->Position());
}

void TfrmEngineering::btnBeepMouseDown()
{
    beepOn = true;
    if (radio_)
        radio_->SetBeep(ui->udBeepTone->Position(), 0);
}

void TfrmEngineering::btnBeepMouseUp()
{
    beepOn = false;
    if (radio_)
        radio_->SetBeep(0, 0);
}

// ---- auto align, LCD, memory ----

void TfrmEngineering::btnAutoAlignClick()
{
    int flags = 0;
    if (ui->chkAlignT1->isChecked())
        flags += AlignT1;
    if (ui->chkAlignT2->isChecked())
        flags += AlignT2;
    if (ui->chkAlignT3->isChecked())
        flags += AlignT3;
    if (ui->chkAlignT4->isChecked())
        flags += AlignT4;
    int start = 0, stop = 0, step = 0;
    if (!Convert(ui->editAlignStart->text(), start) || !Convert(ui->editAlignStop->text(), stop)
        || !Convert(ui->editAlignStep->text(), step))
        return;
    if (radio_)
        radio_->AutoAlign(flags, start, stop, step);
}

void TfrmEngineering::btnWriteLCDClick()
{
    char digits[2] = {};
    char text[5] = {};
    const QByteArray d = ui->edit7seg->text().left(2).toLatin1();
    const QByteArray t = ui->editAlphaText->text().left(5).toLatin1();
    std::copy(d.begin(), d.end(), digits);
    std::copy(t.begin(), t.end(), text);
    if (radio_)
        radio_->WriteLcd(digits, text, LcdMaskAll, 0);
}

void TfrmEngineering::btnMemWriteClick()
{
    int address = 0, data = 0, mask = 0;
    if (!ConvertHex(ui->edit_memaddr->text(), address) || !ConvertHex(ui->edit_memdata->text(), data)
        || !ConvertHex(ui->edit_memmask->text(), mask))
        return;
    if (radio_)
        radio_->MemWrite(address, data, mask);
}

void TfrmEngineering::btnMemReadClick()
{
    int address = 0;
    if (!ConvertHex(ui->edit_memaddr->text(), address) || !radio_)
        return;
    int value = 0;
    radio_->MemRead(address, &value);
    ui->edit_memdata->setText(QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper());
}

void TfrmEngineering::btnCloseClick()
{
    accept();
}
