#include "editor.h"

#include "main.h"

#include <platform/window.h>
#include <widgets/channelchecks.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShowEvent>
#include <QSpinBox>
#include <QTextEdit>
#include <algorithm>
#include <bit>
#include <stdexcept>

// ---------------------------------------------------------------- editor protocol

TEditorForm::TEditorForm(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
}

TRadioImage& TEditorForm::image() const
{
    if (Image)
        return *Image;
    if (MainForm)
        return MainForm->RadioImage;
    throw std::logic_error("editor window without a radio image");
}

namespace {
bool IsOptionWord(int word) { return word >= kr72map::WordOptions3 && word <= kr72map::WordOptions6; }
} // namespace

bool TEditorForm::OptionBit(int word, std::uint16_t mask) const
{
    return IsOptionWord(word) && (WorkingWord(word) & mask) != 0;
}

void TEditorForm::SetOptionBit(int word, std::uint16_t mask, bool on)
{
    if (IsOptionWord(word))
        SetWorkingWord(word, on ? (WorkingWord(word) | mask) : (WorkingWord(word) & ~std::int32_t(mask)));
}

void TEditorForm::ReadOptionBytes()
{
    const TRadioImage& img = image();
    for (int w = kr72map::WordOptions3; w <= kr72map::WordOptions6; ++w)
        SetWorkingWord(w, img.Get(w));
}

std::int32_t TEditorForm::WorkingWord(int word) const
{
    if (IsOptionWord(word)) {
        const int i = (word - kr72map::WordOptions3) * 2;
        return (std::int32_t(OptionBytes[i + 1]) << 8) | OptionBytes[i];
    }
    return image().Get(word);
}

void TEditorForm::SetWorkingWord(int word, std::int32_t value)
{
    if (IsOptionWord(word)) {
        const int i = (word - kr72map::WordOptions3) * 2;
        OptionBytes[i] = std::uint8_t(value & 0xFF);
        OptionBytes[i + 1] = std::uint8_t((value >> 8) & 0xFF);
        return;
    }
    image().Set(word, value);
}

void TEditorForm::BindBit(QAbstractButton* box, int word, std::uint16_t mask, bool inverted)
{
    bindings_.push_back({Kind::Bit, box, word, mask, inverted ? 1 : 0, nullptr, {}, {}});
}

void TEditorForm::BindChoice(QAbstractButton* button, int word, std::uint16_t mask, int value)
{
    bindings_.push_back({Kind::Choice, button, word, mask, value, nullptr, {}, {}});
}

void TEditorForm::BindValue(QWidget* control, int word, std::uint16_t mask)
{
    bindings_.push_back({Kind::Value, control, word, mask, 0, nullptr, {}, {}});
}

void TEditorForm::BindField(QWidget* control, int word, std::uint16_t mask, FieldShow show, FieldValue value)
{
    bindings_.push_back({Kind::Field, control, word, mask, 0, nullptr, std::move(show), std::move(value)});
}

void TEditorForm::BindChannels(TChannelChecks* family, int base, int first)
{
    bindings_.push_back({Kind::Channels, nullptr, base, 0, first, family, {}, {}});
}

namespace {

int FieldOf(std::int32_t word, std::uint16_t mask)
{
    return mask ? int((std::uint32_t(word) & mask) >> std::countr_zero(mask)) : 0;
}

std::int32_t WithField(std::int32_t word, std::uint16_t mask, int field)
{
    if (!mask)
        return word;
    const std::uint32_t placed = (std::uint32_t(field) << std::countr_zero(mask)) & mask;
    return std::int32_t((std::uint32_t(word) & ~std::uint32_t(mask)) | placed);
}

} // namespace

void TEditorForm::LoadBindings()
{
    for (const Binding& b : bindings_) {
        const int field = FieldOf(WorkingWord(b.word), b.mask);
        switch (b.kind) {
        case Kind::Bit:
            static_cast<QAbstractButton*>(b.control)->setChecked((field != 0) != (b.value != 0));
            break;
        case Kind::Choice:
            if (field == b.value)
                static_cast<QAbstractButton*>(b.control)->setChecked(true);
            break;
        case Kind::Value:
            // The control clamps into its own range.
            if (auto* slider = qobject_cast<QAbstractSlider*>(b.control))
                slider->setValue(field);
            else if (auto* spin = qobject_cast<QSpinBox*>(b.control))
                spin->setValue(field);
            break;
        case Kind::Field:
            if (b.show)
                b.show(field);
            break;
        case Kind::Channels:
            for (int n = 1; n <= b.family->Count(); ++n) {
                const int index = b.value + n - 1;
                b.family->SetChecked(n, (WorkingWord(b.word + index / 16) >> (index % 16)) & 1);
            }
            break;
        }
    }
}

bool TEditorForm::ReadFields(std::vector<int>& fields) const
{
    fields.clear();
    for (const Binding& b : bindings_) {
        if (b.kind != Kind::Field)
            continue;
        const std::optional<int> v = b.read ? b.read() : std::optional<int>(FieldOf(WorkingWord(b.word), b.mask));
        if (!v)
            return false;
        fields.push_back(*v);
    }
    return true;
}

void TEditorForm::StoreBindings(const std::vector<int>& fields)
{
    auto store = [this](int w, std::int32_t value) { SetWorkingWord(w, wholeWords_ ? value & 0xFFFF : value); };
    std::size_t nextField = 0;
    for (const Binding& b : bindings_) {
        const std::int32_t word = WorkingWord(b.word);
        switch (b.kind) {
        case Kind::Bit: {
            const bool on = static_cast<QAbstractButton*>(b.control)->isChecked() != (b.value != 0);
            store(b.word, on ? (word | b.mask) : (word & ~std::int32_t(b.mask)));
            break;
        }
        case Kind::Choice:
            if (static_cast<QAbstractButton*>(b.control)->isChecked())
                store(b.word, WithField(word, b.mask, b.value));
            break;
        case Kind::Value:
            if (auto* slider = qobject_cast<QAbstractSlider*>(b.control))
                store(b.word, WithField(word, b.mask, slider->value()));
            else if (auto* spin = qobject_cast<QSpinBox*>(b.control))
                store(b.word, WithField(word, b.mask, spin->value()));
            break;
        case Kind::Field:
            if (nextField < fields.size())
                store(b.word, WithField(word, b.mask, fields[nextField++]));
            break;
        case Kind::Channels: {
            // Word by word: the family's own bits replaced, every other bit kept.
            std::int32_t mask = 0;
            std::int32_t bits = 0;
            int w = -1;
            auto flush = [&] {
                if (w >= 0)
                    store(w, (WorkingWord(w) & ~mask) | bits);
            };
            for (int n = 1; n <= b.family->Count(); ++n) {
                const int index = b.value + n - 1;
                if (b.word + index / 16 != w) {
                    flush();
                    w = b.word + index / 16;
                    mask = bits = 0;
                }
                mask |= 1 << (index % 16);
                if (b.family->Checked(n))
                    bits |= 1 << (index % 16);
            }
            flush();
            break;
        }
        }
    }
}

void TEditorForm::FormShow()
{
    const TRadioImage::Words words = image().Snapshot();
    std::copy(words.begin(), words.end(), ImageBackup.begin());
    ReadOptionBytes();
    LoadBindings();
    LoadControls();
}

bool TEditorForm::OKBtnClick()
{
    std::vector<int> fields;
    if (!ReadFields(fields) || !CheckControls())
        return false;
    StoreBindings(fields);
    StoreControls();
    TRadioImage& img = image();
    for (int w = kr72map::WordOptions3; w <= kr72map::WordOptions6; ++w)
        img.Set(w, WorkingWord(w));
    return true;
}

void TEditorForm::CancelBtnClick()
{
    TRadioImage::Words words;
    std::copy(ImageBackup.begin(), ImageBackup.end(), words.begin());
    image().Assign(words);
}

void TEditorForm::BindOkCancel(QAbstractButton* ok, QAbstractButton* cancel)
{
    cancelButton_ = cancel;
    if (ok)
        connect(ok, &QAbstractButton::clicked, this, [this] {
            if (OKBtnClick())
                accept();
        });
    if (cancel)
        connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

void TEditorForm::done(int result)
{
    // Cancel, Escape and the close box all leave the image as it was when shown.
    if (result != QDialog::Accepted && isVisible())
        CancelBtnClick();
    QDialog::done(result);
}

THelpPane* TEditorForm::SetHelpPane(QTextEdit* helpText, QWidget* ok, QWidget* cancel)
{
    Help = new THelpPane(helpText, this);
    Help->BindSilent(this);
    if (helpText)
        Help->BindSilent(helpText);
    if (ok)
        Help->Bind(ok, "The OK button exits the screen and saves any changes.");
    if (cancel)
        Help->Bind(cancel, "The Cancel button exits the screen and discards any changes.");
    return Help;
}

void TEditorForm::KeepHelp(QWidget* control)
{
    keepHelp_.push_back(control);
    control->installEventFilter(this);
}

bool TEditorForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton
        && std::find(keepHelp_.begin(), keepHelp_.end(), watched) != keepHelp_.end())
        return true;
    return QDialog::eventFilter(watched, event);
}

void TEditorForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        platform::CentreOnScreen(this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void TEditorForm::keyPressEvent(QKeyEvent* event)
{
    // Escape is the Cancel button, not a silent close.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && cancelButton_) {
        cancelButton_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
