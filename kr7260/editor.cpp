#include "editor.h"

#include "main.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
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

int TEditorForm::OptionByteIndex(int word, std::uint16_t mask)
{
    if (word < kr72map::WordOptions3 || word > kr72map::WordOptions6)
        return -1;
    return (word - kr72map::WordOptions3) * 2 + ((mask & 0xFF00) ? 1 : 0);
}

bool TEditorForm::OptionBit(int word, std::uint16_t mask) const
{
    const int i = OptionByteIndex(word, mask);
    if (i < 0)
        return false;
    const std::uint8_t m = (mask & 0xFF00) ? std::uint8_t(mask >> 8) : std::uint8_t(mask);
    return (OptionBytes[i] & m) != 0;
}

void TEditorForm::SetOptionBit(int word, std::uint16_t mask, bool on)
{
    const int i = OptionByteIndex(word, mask);
    if (i < 0)
        return;
    const std::uint8_t m = (mask & 0xFF00) ? std::uint8_t(mask >> 8) : std::uint8_t(mask);
    if (on)
        OptionBytes[i] |= m;
    else
        OptionBytes[i] &= std::uint8_t(~m);
}

void TEditorForm::ReadOptionBytes()
{
    const TRadioImage& img = image();
    for (int w = 0; w < 4; ++w) {
        const std::int32_t v = img.Get(kr72map::WordOptions3 + w);
        OptionBytes[2 * w] = std::uint8_t(v & 0xFF);
        OptionBytes[2 * w + 1] = std::uint8_t((v >> 8) & 0xFF);
    }
}

std::int32_t TEditorForm::WorkingWord(int word) const
{
    if (word >= kr72map::WordOptions3 && word <= kr72map::WordOptions6) {
        const int i = (word - kr72map::WordOptions3) * 2;
        return (std::int32_t(OptionBytes[i + 1]) << 8) | OptionBytes[i];
    }
    return image().Get(word);
}

void TEditorForm::SetWorkingWord(int word, std::int32_t value)
{
    if (word >= kr72map::WordOptions3 && word <= kr72map::WordOptions6) {
        const int i = (word - kr72map::WordOptions3) * 2;
        OptionBytes[i] = std::uint8_t(value & 0xFF);
        OptionBytes[i + 1] = std::uint8_t((value >> 8) & 0xFF);
        return;
    }
    image().Set(word, value);
}

void TEditorForm::BindBit(QAbstractButton* box, int word, std::uint16_t mask, bool inverted)
{
    bindings_.push_back({Kind::Bit, box, word, mask, inverted ? 1 : 0});
}

void TEditorForm::BindChoice(QAbstractButton* button, int word, std::uint16_t mask, int value)
{
    bindings_.push_back({Kind::Choice, button, word, mask, value});
}

void TEditorForm::BindValue(QWidget* control, int word, std::uint16_t mask)
{
    bindings_.push_back({Kind::Value, control, word, mask, 0});
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
        }
    }
}

void TEditorForm::StoreBindings()
{
    for (const Binding& b : bindings_) {
        const std::int32_t word = WorkingWord(b.word);
        switch (b.kind) {
        case Kind::Bit: {
            const bool on = static_cast<QAbstractButton*>(b.control)->isChecked() != (b.value != 0);
            SetWorkingWord(b.word, on ? (word | b.mask) : (word & ~std::int32_t(b.mask)));
            break;
        }
        case Kind::Choice:
            if (static_cast<QAbstractButton*>(b.control)->isChecked())
                SetWorkingWord(b.word, WithField(word, b.mask, b.value));
            break;
        case Kind::Value:
            if (auto* slider = qobject_cast<QAbstractSlider*>(b.control))
                SetWorkingWord(b.word, WithField(word, b.mask, slider->value()));
            else if (auto* spin = qobject_cast<QSpinBox*>(b.control))
                SetWorkingWord(b.word, WithField(word, b.mask, spin->value()));
            break;
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
    if (!CheckControls())
        return false;
    StoreBindings();
    StoreControls();
    TRadioImage& img = image();
    for (int w = 0; w < 4; ++w)
        img.Set(kr72map::WordOptions3 + w, (std::int32_t(OptionBytes[2 * w + 1]) << 8) | OptionBytes[2 * w]);
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

THelpPane* TEditorForm::SetHelpPane(QTextEdit* helpText)
{
    Help = new THelpPane(helpText, this);
    Help->BindSilent(this);
    if (helpText)
        Help->BindSilent(helpText);
    return Help;
}

void TEditorForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
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
