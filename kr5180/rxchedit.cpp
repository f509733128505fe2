#include "rxchedit.h"
#include "ui_rxchedit.h"

#include <platform/msgbox.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QShowEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <cstdint>

TfrmRxChEdit* frmRxChEdit = nullptr;

namespace {

constexpr std::int64_t MaxParsedHz = 2000000000;
constexpr std::int64_t HzPerMHz = 1000000;

// A plain decimal number of MHz, '.' as the decimal point and an optional sign, to whole
// Hz: truncated past the sixth decimal, held to 0 .. MaxParsedHz. No locale, no group
// separators, no exponent, no blanks.
bool PlainMHzToHz(const QString& text, int& hz)
{
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text.front() == QLatin1Char('-');
    if (!text.isEmpty() && (text.front() == QLatin1Char('-') || text.front() == QLatin1Char('+')))
        ++i;
    std::int64_t value = 0;
    std::int64_t place = HzPerMHz; // what a digit after the point is worth
    bool point = false;
    int digits = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            return false;
        ++digits;
        const int d = c - u'0';
        if (!point)
            value = std::min(value * 10 + d * HzPerMHz, MaxParsedHz + 1);
        else
            value += d * (place /= 10);
    }
    if (digits == 0)
        return false;
    hz = negative ? 0 : int(std::min(value, MaxParsedHz));
    return true;
}

} // namespace

TfrmRxChEdit::TfrmRxChEdit(QWidget* parent) : QDialog(parent), ui(new Ui::TfrmRxChEdit)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
    ui->editFreq->installEventFilter(this);
    // The arrows are for the mouse: Tab goes from the frequency on to the check boxes.
    ui->udFreq->setFocusPolicy(Qt::NoFocus);
    if (auto* arrowsText = ui->udFreq->findChild<QLineEdit*>())
        arrowsText->setFocusPolicy(Qt::NoFocus);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmRxChEdit::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TfrmRxChEdit::btnCancelClick);
    // The arrows never move the up-down itself: a step is read and taken back.
    connect(ui->udFreq, &QSpinBox::valueChanged, this, [this](int value) {
        if (value == 0)
            return;
        {
            const QSignalBlocker quiet(ui->udFreq);
            ui->udFreq->setValue(0);
        }
        udFreqChangingEx(value > 0);
    });
    // editAlphaTagKeyPress: tags are typed in upper case (the edit is never shown).
    connect(ui->editAlphaTag, &QLineEdit::textEdited, this,
            [this](const QString& text) { ui->editAlphaTag->setText(text.toUpper()); });
}

TfrmRxChEdit::~TfrmRxChEdit()
{
    delete ui;
}

void TfrmRxChEdit::SetEditMode(int mode)
{
    EditMode = mode == ModeAdd ? ModeAdd : ModeEdit;
}

void TfrmRxChEdit::FillChannelList(const std::vector<int>& numbers)
{
    ui->cbChannel->clear();
    for (int n : numbers)
        ui->cbChannel->addItem(QString::number(n));
    ui->cbChannel->setCurrentIndex(0);
}

void TfrmRxChEdit::SetChannelData(const RX_CH_DATA_STRUCT& record, int channelNumber)
{
    Frequency = record.frequency;
    Flags = record.flags;
    ChannelNumber = channelNumber;
}

int TfrmRxChEdit::GetChannelData(RX_CH_DATA_STRUCT& record)
{
    if (EditMode == ModeAdd)
        ChannelNumber = ui->cbChannel->currentText().toInt();
    int hz = 0;
    if (!ParseFrequency(hz))
        return -1;
    Frequency = RoundFrequency(hz);
    Flags = (ui->chkScan1->isChecked() ? RxScan1 : 0) | (ui->chkScan2->isChecked() ? RxScan2 : 0)
            | (ui->chkSilent->isChecked() ? RxSilent : 0);
    record.frequency = Frequency;
    record.flags = Flags;
    return ChannelNumber;
}

void TfrmRxChEdit::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TfrmRxChEdit::FormShow()
{
    const bool add = EditMode == ModeAdd;
    setWindowTitle(add ? QStringLiteral("Add Channel") : QStringLiteral("Edit Channel"));
    ui->cbChannel->setVisible(add);
    ui->editChannel->setVisible(!add);
    if (!add)
        ui->editChannel->setText(QString::number(ChannelNumber));
    ui->lblAlphaTag->hide();
    ui->editAlphaTag->hide();
    DisplayFrequency(Frequency);
    ui->chkScan1->setChecked(Flags & RxScan1);
    ui->chkScan2->setChecked(Flags & RxScan2);
    ui->chkSilent->setChecked(Flags & RxSilent);
}

QString TfrmRxChEdit::FormatFrequency(int hz)
{
    return QString::asprintf("%3.4f", hz * 0.000001);
}

void TfrmRxChEdit::DisplayFrequency(int hz)
{
    ui->editFreq->setText(FormatFrequency(hz));
}

bool TfrmRxChEdit::ParseFrequency(int& hz) const
{
    const QString text = ui->editFreq->text();
    if (text.isEmpty()) {
        hz = 0;
        return true;
    }
    return PlainMHzToHz(text, hz);
}

int TfrmRxChEdit::RoundFrequency(int hz)
{
    const int steps = (hz + ee::ChannelStepHz / 2) / ee::ChannelStepHz;
    return std::clamp(steps * ee::ChannelStepHz, 0, MaxFrequencyHz);
}

bool TfrmRxChEdit::editFreqKeyPress(QKeyEvent* event)
{
    const QString text = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        int hz = 0;
        if (ParseFrequency(hz))
            DisplayFrequency(RoundFrequency(hz));
        return true;
    }
    if (text.size() != 1 || (event->modifiers() & Qt::ControlModifier))
        return false; // navigation, editing shortcuts, Escape and Tab
    const QChar c = text.at(0);
    if (c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char('\b') || c.unicode() < 0x20)
        return false;
    return true; // every other character is refused
}

void TfrmRxChEdit::udFreqChangingEx(bool up)
{
    int hz = 0;
    if (!ParseFrequency(hz))
        return;
    const int stepped = RoundFrequency(hz) + (up ? ee::ChannelStepHz : -ee::ChannelStepHz);
    DisplayFrequency(std::clamp(stepped, 0, MaxFrequencyHz));
}

bool TfrmRxChEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->editFreq && event->type() == QEvent::KeyPress)
        return editFreqKeyPress(static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

void TfrmRxChEdit::btnOKClick()
{
    int hz = 0;
    if (ParseFrequency(hz)) {
        done(QDialog::Accepted);
        return;
    }
    platform::MessageBox(QStringLiteral("Invalid Frequency"), QStringLiteral("Error"), platform::MB_OK);
    ui->editFreq->setFocus();
}

void TfrmRxChEdit::btnCancelClick()
{
    done(QDialog::Rejected);
}
