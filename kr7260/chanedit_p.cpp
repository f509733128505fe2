#include "chanedit_p.h"
#include "ui_chanedit_p.h"

#include "chanlist.h"

#include <platform/application.h>
#include <platform/misc.h>
#include <platform/msgbox.h>
#include <platform/strtoint.h>

#include <QKeyEvent>

TfrmEditChannel2* frmEditChannel2 = nullptr;

namespace {
constexpr int MinFrequency = 4650000; // 465.0000 MHz in units of 0.0001 MHz
constexpr int MaxFrequency = 4850000; // 485.0000 MHz
const char* const NewChannelText = "470.0000";
constexpr char16_t MaskBlank = u'_'; // shown in an empty digit position
} // namespace

TfrmEditChannel2::TfrmEditChannel2(QWidget* parent) : TEditorForm(parent), ui(new Ui::TfrmEditChannel2)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    lblChannelNumber = ui->lblChannelNumber;
    txtRxFreq = ui->txtRxFreq;
    chkOsMem = ui->chkOsMem;
    chkGsMem = ui->chkGsMem;
    chkQMem = ui->chkQMem;
    HelpText = ui->HelpText;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;

    // Three digits, a fixed point, four digits and the fixed letters Mhz.
    txtRxFreq->setInputMask(QStringLiteral("000.0000\\M\\h\\z;") + QChar(MaskBlank));
    txtRxFreq->installEventFilter(this);
    BindOkCancel(OKBtn, CancelBtn);

    THelpPane* help = SetHelpPane(HelpText, OKBtn, CancelBtn);
    help->Bind(ui->lblRxFreq, "Enter the Receive frequency for this channel.");
    help->Bind(txtRxFreq, "Enter the Receive frequency for this channel.");
    help->Bind(chkOsMem, "Set this channel into Open Scan memory.");
    help->Bind(chkGsMem, "Set this channel into Group Scan memory.");
    help->Bind(chkQMem, "Set this channel into Quiet memory.");
    help->BindSilent(ui->gbReceive);
    help->BindSilent(ui->pnlBottom);
    help->BindSilent(lblChannelNumber);
}

TfrmEditChannel2::~TfrmEditChannel2()
{
    if (frmEditChannel2 == this)
        frmEditChannel2 = nullptr;
    delete ui;
}

void TfrmEditChannel2::LoadControls()
{
    const std::int32_t w = image().Get(kr72map::SpareFreqBase + ChannelIndex);
    const int channel = ChannelIndex + kr72map::CbChannelCount;
    if (w != 0) {
        txtRxFreq->setText(kr72chan::FrequencyText(w));
        chkOsMem->setChecked(kr72chan::GetChannelBit(image(), channel, kr72map::OpenScanBase));
        chkGsMem->setChecked(kr72chan::GetChannelBit(image(), channel, kr72map::GroupScanBase));
        chkQMem->setChecked(kr72chan::GetChannelBit(image(), channel, kr72map::QuietBase));
    } else {
        txtRxFreq->setText(NewChannelText);
        chkOsMem->setChecked(false);
        chkGsMem->setChecked(false);
        chkQMem->setChecked(false);
    }
    txtRxFreq->setCursorPosition(0);
    txtRxFreq->setFocus();
}

bool TfrmEditChannel2::CheckControls()
{
    // The eight characters before "Mhz", a blank digit position as a blank.
    const QString entered = txtRxFreq->displayText().left(8).replace(MaskBlank, u' ');
    const std::optional<int> units = kr72chan::ParseFrequency(entered);
    if (!units) {
        // A blank digit fails the conversion, shown as the application shows such errors.
        platform::ShowException(platform::NotAFloat(entered));
        txtRxFreq->setFocus();
        return false;
    }
    if (*units < MinFrequency || *units > MaxFrequency) {
        platform::MessageBox("Valid values are 465.0000 to 485.0000. Please correct it", "Invalid Value",
                             platform::MB_ICONHAND);
        txtRxFreq->setFocus();
        return false;
    }
    word_ = kr72chan::FrequencyWord(*units);
    return true;
}

void TfrmEditChannel2::StoreControls() { StoreChannel(); }

void TfrmEditChannel2::StoreChannel()
{
    TRadioImage& img = image();
    const int channel = ChannelIndex + kr72map::CbChannelCount;
    img.Set(kr72map::SpareFreqBase + ChannelIndex, word_);
    kr72chan::SetChannelBit(img, channel, kr72map::OpenScanBase, chkOsMem->isChecked() ? 1 : 0);
    kr72chan::SetChannelBit(img, channel, kr72map::GroupScanBase, chkGsMem->isChecked() ? 1 : 0);
    kr72chan::SetChannelBit(img, channel, kr72map::QuietBase, chkQMem->isChecked() ? 1 : 0);
    // A stored spare channel always leaves the CTCSS silent memory.
    kr72chan::SetChannelBit(img, channel, kr72map::CtcssSilentBase, 0);
}

bool TfrmEditChannel2::txtRxFreqKeyPress(const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    const QString text = key.text();
    if (text.isEmpty() || text == QStringLiteral("\b"))
        return true;
    const char16_t c = text[0].unicode();
    if (text.size() == 1 && c >= u'0' && c <= u'9')
        return true;
    platform::Beep();
    return false;
}

bool TfrmEditChannel2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtRxFreq && event->type() == QEvent::KeyPress
        && !txtRxFreqKeyPress(*static_cast<QKeyEvent*>(event)))
        return true;
    return TEditorForm::eventFilter(watched, event);
}
