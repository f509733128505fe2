#include "selc_mem.h"
#include "ui_selc_mem.h"

#include "selcall.h"

#include <platform/misc.h>
#include <platform/msgbox.h>

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

TfrmSelcallIdents* frmSelcallIdents = nullptr;

namespace {

constexpr int RadioIdentSlot = 12;
constexpr int PagerSentSlot = 10;
constexpr int LastSentSlot = 11;
constexpr int TelemetryFirstSlot = 13;
constexpr int ToneCount = 5;

int IdentWord(int slot) { return kr72map::SelcallIdentBase + 2 * slot; }
int TagWord(int tag) { return kr72map::AlphaTagBase + 3 * tag; }

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsToneChar(QChar c) { return IsDigit(c) || c == u'A'; }
bool IsTagChar(QChar c)
{
    return (c >= u'A' && c <= u'Z') || IsDigit(c) || c == u' ' || c == u'*' || c == u'+' || c == u'-';
}
// Printable characters go through a box's key filter; control characters (backspace,
// tab, enter, escape, delete and shortcuts such as Ctrl+V) are the edit box's own work.
bool IsTyped(const QString& text) { return !text.isEmpty() && text[0].unicode() >= 0x20 && text[0].unicode() != 0x7F; }

// Where two texts part: the edit replaced text from `start` on with `inserted`.
struct TextChange {
    int start;
    int inserted;
};
TextChange Diff(const QString& before, const QString& after)
{
    const int n = std::min(before.size(), after.size());
    int p = 0;
    while (p < n && before[p] == after[p])
        ++p;
    int q = 0;
    while (q < n - p && before[before.size() - 1 - q] == after[after.size() - 1 - q])
        ++q;
    return {p, int(after.size()) - p - q};
}

// Puts the text an edit check changed (case, say) into the box, the cursor where it was.
void SetTextKeepingCursor(QLineEdit* box, const QString& text)
{
    if (text == box->text())
        return;
    const int pos = box->cursorPosition();
    box->setText(text);
    box->setCursorPosition(pos);
}

const char* const IdentSentence = "Enter the Selcall Ident for this memory location";
const char* const AlphaSentence = "Enter the Selcall Alpha for this memory location";

} // namespace

TfrmSelcallIdents::TfrmSelcallIdents(QWidget* parent, const TSelcallSettings* selcall)
    : TEditorForm(parent), ui(new Ui::TfrmSelcallIdents), selcall_(selcall)
{
    ui->setupUi(this);
    txtRadioIdent = ui->txtRadioIdent;
    txtRadioAlpha = ui->txtRadioAlpha;
    for (int n = 1; n <= 16; ++n)
        txtMem[n] = findChild<QLineEdit*>(QStringLiteral("txtMem%1").arg(n));
    for (int n = 1; n <= 12; ++n)
        txtAlphaMem[n] = findChild<QLineEdit*>(QStringLiteral("txtAlphaMem%1").arg(n));
    for (int n = 1; n <= 4; ++n)
        chkTeleMem[n] = findChild<QCheckBox*>(QStringLiteral("chkTeleMem%1").arg(n));
    HelpText = ui->HelpText;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;

    for (int n = 1; n <= 4; ++n) {
        BindBit(chkTeleMem[n], kr72map::WordOptions6, std::uint16_t(0x0100 << (n - 1)));
        connect(chkTeleMem[n], &QCheckBox::clicked, this, &TfrmSelcallIdents::chkTeleMem1Click);
    }
    BindOkCancel(OKBtn, CancelBtn);

    // The last-sent ident is never shown.
    txtMem[12]->setVisible(false);
    txtAlphaMem[12]->setVisible(false);
    ui->Label1->setVisible(false);

    THelpPane* help = SetHelpPane(HelpText, OKBtn, CancelBtn);
    help->Bind(txtRadioIdent, "This is the Ident of the radio");
    help->Bind(ui->lblRadioIdent, "This is the Ident of the radio", true);
    for (int n = 1; n <= 11; ++n)
        help->Bind(txtMem[n], IdentSentence);
    for (int n = 1; n <= 10; ++n)
        help->Bind(txtAlphaMem[n], AlphaSentence);
    for (int n = 13; n <= 16; ++n)
        help->Bind(txtMem[n], QString());
    for (QLineEdit* fixed : {txtRadioAlpha, txtAlphaMem[11], txtAlphaMem[12]})
        help->Bind(fixed, QString());
    help->BindSilent(ui->gbMemory);
    help->BindSilent(ui->pnlBottom);

    // Filters after the pane's, so they see the events first. A user's edit signals
    // textEdited before textChanged, so the check still sees the text from before it.
    auto watch = [this](QLineEdit* box, void (TfrmSelcallIdents::*edited)(QLineEdit*)) {
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this, box, edited] { (this->*edited)(box); });
        connect(box, &QLineEdit::textChanged, this, [this, box] { accepted_[box] = box->text(); });
    };
    watch(txtRadioIdent, &TfrmSelcallIdents::IdentEdited);
    for (int n = 1; n <= 16; ++n)
        if (n != 12)
            watch(txtMem[n], &TfrmSelcallIdents::IdentEdited);
    for (int n = 1; n <= 10; ++n)
        watch(txtAlphaMem[n], &TfrmSelcallIdents::AlphaEdited);
    for (int n = 1; n <= 4; ++n)
        KeepHelp(chkTeleMem[n]); // no help: the pane stays as it is

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TfrmSelcallIdents::~TfrmSelcallIdents()
{
    if (frmSelcallIdents == this)
        frmSelcallIdents = nullptr;
    delete ui;
}

// ---------------------------------------------------------------- conversions

QString TfrmSelcallIdents::IdentToText(int slot) const
{
    // Only the 16 bits of each word count, whatever the element holds above them.
    const std::uint32_t first = std::uint32_t(image().Get(IdentWord(slot))) & 0xFFFF;
    const std::uint32_t fifth = (std::uint32_t(image().Get(IdentWord(slot) + 1)) >> 12) & 0xF;
    QString text = QStringLiteral("%1%2").arg(first, 4, 16, QChar(u'0')).arg(fifth, 1, 16).toUpper();
    for (QChar& c : text)
        if (c >= u'B' && c <= u'F')
            c = u'0';
    return text.left(ToneCount);
}

void TfrmSelcallIdents::TextToIdent(const QString& text, int slot)
{
    QString tones = text.left(ToneCount);
    while (tones.size() < ToneCount)
        tones += u'0';
    image().Set(IdentWord(slot), tones.left(4).toInt(nullptr, 16));
    image().Set(IdentWord(slot) + 1, tones.mid(4, 1).toInt(nullptr, 16) << 12);
}

QString TfrmSelcallIdents::AlphaToText(int tag) const
{
    const int w = TagWord(tag);
    const std::uint32_t words[3] = {std::uint32_t(image().Get(w)), std::uint32_t(image().Get(w + 1)),
                                    std::uint32_t(image().Get(w + 2))};
    QByteArray bytes;
    for (int i = 0; i < ToneCount; ++i) {
        const char c = char((words[i / 2] >> ((i % 2) ? 0 : 8)) & 0xFF);
        if (c == 0)
            break;
        bytes += c;
    }
    return QString::fromLatin1(bytes);
}

void TfrmSelcallIdents::TextToAlpha(const QString& text, int tag)
{
    const int w = TagWord(tag);
    if (text.isEmpty()) {
        for (int i = 0; i < 3; ++i)
            image().Set(w + i, 0);
        return;
    }
    QByteArray bytes = text.left(ToneCount).toLatin1();
    while (bytes.size() < ToneCount)
        bytes += ' ';
    auto byte = [&](int i) { return std::int32_t(std::uint8_t(bytes[i])); };
    image().Set(w, (byte(0) << 8) | byte(1));
    image().Set(w + 1, (byte(2) << 8) | byte(3));
    image().Set(w + 2, byte(4) << 8);
}

bool TfrmSelcallIdents::GroupDigitAllowed(int index, int txGroup)
{
    return (txGroup == 1 && index == 4) || (txGroup == 2 && (index == 3 || index == 4));
}

// ---------------------------------------------------------------- load and store

void TfrmSelcallIdents::LoadControls()
{
    leaving_ = nullptr;
    SetBoxText(txtRadioIdent, IdentToText(RadioIdentSlot));
    for (int n = 1; n <= 11; ++n)
        SetBoxText(txtMem[n], IdentToText(n - 1));
    SetBoxText(txtMem[12], IdentToText(LastSentSlot));
    for (int n = 13; n <= 16; ++n)
        SetBoxText(txtMem[n], IdentToText(n));
    for (int n = 1; n <= 10; ++n)
        SetBoxText(txtAlphaMem[n], AlphaToText(n - 1));
    chkTeleMem1Click();
}

bool TfrmSelcallIdents::CheckControls()
{
    // OK leaves a box as well: the one the focus left for OK (a click) or is still in
    // (Enter) gets its length check first.
    QLineEdit* leaving = leaving_;
    leaving_ = nullptr;
    if (!leaving && IsIdentBox(focusWidget()))
        leaving = static_cast<QLineEdit*>(focusWidget());
    if (leaving && txtRadioIdentExit(leaving))
        return false;

    // Every box is checked before anything is stored; group digits only where the user
    // changed the ident.
    std::vector<QLineEdit*> idents{txtRadioIdent};
    for (int n = 1; n <= 16; ++n)
        if (n != 12)
            idents.push_back(txtMem[n]);
    for (QLineEdit* box : idents) {
        const QString text = box->text();
        if (text.size() <= ToneCount && std::all_of(text.begin(), text.end(), IsToneChar))
            continue;
        platform::MessageBox(QStringLiteral("\"%1\" is not a Selcall Ident.\nPlease use up to 5 tones 0 to 9 or A.")
                                 .arg(text),
                             "Invalid Ident", platform::MB_ICONHAND);
        box->setFocus();
        return false;
    }
    for (QLineEdit* box : idents)
        if (GroupDigitCheck(box))
            return false;
    for (int n = 1; n <= 10; ++n) {
        const QString text = txtAlphaMem[n]->text();
        if (text.size() <= ToneCount
            && std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0 && c.unicode() <= 0xFF; }))
            continue;
        platform::MessageBox(QStringLiteral("\"%1\" is not a Selcall Alpha.\nPlease use up to 5 letters, digits, "
                                            "blanks, * + or -.")
                                 .arg(text),
                             "Invalid Alpha", platform::MB_ICONHAND);
        txtAlphaMem[n]->setFocus();
        return false;
    }
    return true;
}

void TfrmSelcallIdents::StoreControls()
{
    TextToIdent(txtRadioIdent->text(), RadioIdentSlot);
    for (int n = 1; n <= 11; ++n)
        TextToIdent(txtMem[n]->text(), n - 1);
    // OK makes the radio's own ident the last one sent.
    TextToIdent(txtRadioIdent->text(), LastSentSlot);
    for (int n = 13; n <= 16; ++n)
        TextToIdent(txtMem[n]->text(), n);
    for (int n = 1; n <= 10; ++n)
        TextToAlpha(txtAlphaMem[n]->text(), n - 1);
}

void TfrmSelcallIdents::chkTeleMem1Click()
{
    for (int n = 1; n <= 4; ++n)
        txtMem[TelemetryFirstSlot - 1 + n]->setEnabled(chkTeleMem[n]->isChecked());
}

// ---------------------------------------------------------------- typing

bool TfrmSelcallIdents::IsIdentBox(QObject* o) const
{
    if (o == txtRadioIdent)
        return true;
    for (int n = 1; n <= 16; ++n)
        if (n != 12 && o == txtMem[n])
            return true;
    return false;
}

bool TfrmSelcallIdents::IsCallMemory(const QLineEdit* box) const
{
    for (int n = 1; n <= 11; ++n)
        if (box == txtMem[n])
            return true;
    return false;
}

bool TfrmSelcallIdents::txtRadioIdentKeyPress(QLineEdit* box, const QKeyEvent& key)
{
    const QString text = key.text();
    if (!IsTyped(text) || IsDigit(text[0]))
        return true;
    if (text.size() == 1 && (text[0] == u'a' || text[0] == u'A')) {
        // Where it lands is checked with the box's new text.
        box->insert(QStringLiteral("A"));
        return false;
    }
    platform::Beep();
    return false;
}

bool TfrmSelcallIdents::AlphaKeyPress(QLineEdit* box, const QKeyEvent& key)
{
    const QString text = key.text();
    if (!IsTyped(text) || (text.size() == 1 && IsTagChar(text[0])))
        return true;
    if (text.size() == 1 && text[0] >= u'a' && text[0] <= u'z') {
        box->insert(text.toUpper());
        return false;
    }
    platform::Beep();
    return false;
}

void TfrmSelcallIdents::IdentEdited(QLineEdit* box)
{
    QString text = box->text();
    const TextChange change = Diff(accepted_.value(box), text);
    for (int i = change.start; i < change.start + change.inserted; ++i) {
        if (text[i] == u'a')
            text[i] = u'A';
        if (!IsToneChar(text[i]))
            return Refuse(box, text);
    }
    // A group digit typed or pasted must land in a tone it may take. Digits and deletions
    // go in wherever one stands; its place is checked when the box is left and on OK.
    const int group = TxGroup(box);
    for (int i = change.start; i < change.start + change.inserted; ++i)
        if (text[i] == u'A' && !GroupDigitAllowed(i, group))
            return Refuse(box, text);
    SetTextKeepingCursor(box, text);
}

void TfrmSelcallIdents::AlphaEdited(QLineEdit* box)
{
    QString text = box->text();
    const TextChange change = Diff(accepted_.value(box), text);
    for (int i = change.start; i < change.start + change.inserted; ++i) {
        if (text[i] >= u'a' && text[i] <= u'z')
            text[i] = text[i].toUpper();
        if (!IsTagChar(text[i]))
            return Refuse(box, text);
    }
    SetTextKeepingCursor(box, text);
}

void TfrmSelcallIdents::Refuse(QLineEdit* box, const QString& edited)
{
    const QString before = accepted_.value(box);
    const int pos = box->cursorPosition() - int(edited.size() - before.size());
    box->setText(before);
    box->setCursorPosition(std::clamp(pos, 0, int(before.size())));
    platform::Beep();
}

void TfrmSelcallIdents::SetBoxText(QLineEdit* box, const QString& text)
{
    box->setText(text);
    accepted_[box] = text; // also when the text was already there
    shown_[box] = text;
}

// ---------------------------------------------------------------- length check

bool TfrmSelcallIdents::txtRadioIdentExit(QLineEdit* box)
{
    if (checking_ || !isVisible())
        return false;
    // The telemetry idents are padded on OK.
    if (box->text().size() < ToneCount && (box == txtRadioIdent || IsCallMemory(box))) {
        Complain(box, box == txtRadioIdent ? "The Radio Ident is not long enough.\rPlease ensure it has 5 tones."
                                           : "The Ident is not long enough.\rPlease ensure it has 5 tones.",
                 "Incorrect number of tones");
        return true;
    }
    return GroupDigitCheck(box);
}

int TfrmSelcallIdents::TxGroup(const QLineEdit* box) const
{
    return (selcall_ && IsCallMemory(box)) ? selcall_->TxGroupIndex() : 0;
}

bool TfrmSelcallIdents::GroupDigitCheck(QLineEdit* box)
{
    // An ident the user has not changed since it was shown, or cannot edit (an unused
    // telemetry ident), is stored as it stands: its group digits came from the radio, a
    // file or an earlier transmit group choice.
    if (!box->isEnabled() || box->text() == shown_.value(box))
        return false;
    const QString text = box->text();
    const int group = TxGroup(box);
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] != u'A' || GroupDigitAllowed(i, group))
            continue;
        const char* where = "The group digit A may only be used\rwhen Group calls are sent.";
        if (!IsCallMemory(box))
            where = "The group digit A may only be used in a call memory.";
        else if (group == 1)
            where = "The group digit A may only be tone 5\rwhen sending Group calls up to 10.";
        else if (group == 2)
            where = "The group digit A may only be tone 4 or 5\rwhen sending Group calls up to 100.";
        Complain(box, where, "Incorrect group digit");
        return true;
    }
    return false;
}

void TfrmSelcallIdents::Complain(QLineEdit* box, const QString& text, const QString& caption)
{
    checking_ = true;
    platform::MessageBox(text, caption, platform::MB_OK);
    box->setFocus(Qt::OtherFocusReason);
    checking_ = false;
}

bool TfrmSelcallIdents::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* box = qobject_cast<QLineEdit*>(watched);
        if (!box)
            break;
        const auto& key = *static_cast<QKeyEvent*>(event);
        if (IsIdentBox(box) ? !txtRadioIdentKeyPress(box, key) : !AlphaKeyPress(box, key))
            return true;
        break;
    }
    case QEvent::FocusOut: {
        // Only a move to another control of this window: not a message box or a popup
        // taking the focus, and not the message's own return of the focus.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (!IsIdentBox(watched) || checking_ || reason == Qt::ActiveWindowFocusReason
            || reason == Qt::PopupFocusReason)
            break;
        QWidget* next = QApplication::focusWidget();
        if (!isAncestorOf(next))
            break;
        auto* box = static_cast<QLineEdit*>(watched);
        leaving_ = box;
        // Cancel stores nothing, so no message on the way to it; OK pressed after all
        // still checks the box.
        if (next == CancelBtn)
            break;
        // After the focus change has settled, so the box never opens inside it; a click
        // on OK released before then runs the check from OK instead.
        QTimer::singleShot(0, this, [this, box] {
            if (leaving_ != box)
                return;
            leaving_ = nullptr;
            txtRadioIdentExit(box);
        });
        break;
    }
    default:
        break;
    }
    return TEditorForm::eventFilter(watched, event);
}
