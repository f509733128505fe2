#include "editor.h"

#include "array.h"

#include <platform/window.h>
#include <widgets/channelchecks.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QShowEvent>
#include <QSpinBox>
#include <QTextEdit>
#include <stdexcept>

TImageEditor::TImageEditor(QWidget* parent) : QDialog(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
}

EEPROM& TImageEditor::image() const
{
    if (Image)
        return *Image;
    if (eepromImage)
        return *eepromImage;
    throw std::logic_error("editor window without a memory image");
}

void TImageEditor::LoadOptionBytes()
{
    EEPROM& img = image();
    for (int i = 0; i < optionCount_; ++i)
        OptionBytes[std::size_t(i)] = std::uint8_t(img.GetByte(OptionFirst + i));
}

void TImageEditor::StoreOptionBytes()
{
    EEPROM& img = image();
    for (int i = 0; i < optionCount_; ++i)
        img.SetByte(OptionFirst + i, OptionBytes[std::size_t(i)]);
}

int TImageEditor::WorkingByte(int address) const
{
    const int i = address - OptionFirst;
    if (i >= 0 && i < optionCount_)
        return OptionBytes[std::size_t(i)];
    return image().GetByte(address);
}

void TImageEditor::SetWorkingByte(int address, int value)
{
    const int i = address - OptionFirst;
    if (i >= 0 && i < optionCount_)
        OptionBytes[std::size_t(i)] = std::uint8_t(value);
    else
        image().SetByte(address, value);
}

bool TImageEditor::WorkingBit(int address, int mask) const
{
    return (WorkingByte(address) & mask) != 0;
}

void TImageEditor::SetWorkingBit(int address, int mask, bool on)
{
    const int b = WorkingByte(address);
    SetWorkingByte(address, on ? (b | mask) : (b & ~mask));
}

int TImageEditor::ItemIndex(const QComboBox* box)
{
    const int i = box->currentIndex();
    if (!box->isEditable() || (i >= 0 && box->itemText(i) == box->currentText()))
        return i;
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TImageEditor::BindBit(QAbstractButton* box, int address, int mask, bool inverted)
{
    bindings_.push_back({Kind::Bit, box, address, mask, inverted});
}

void TImageEditor::BindValue(QWidget* control, int address, int scale)
{
    bindings_.push_back({Kind::Value, control, address, scale < 1 ? 1 : scale, false});
}

void TImageEditor::BindChannels(TChannelChecks* family, int address)
{
    bindings_.push_back({Kind::Channels, family, address, 0, false});
}

namespace {

void SetControlValue(QObject* control, int value)
{
    // The control clamps into its own range.
    if (auto* slider = qobject_cast<QAbstractSlider*>(control))
        slider->setValue(value);
    else if (auto* spin = qobject_cast<QSpinBox*>(control))
        spin->setValue(value);
}

int ControlValue(QObject* control)
{
    if (auto* slider = qobject_cast<QAbstractSlider*>(control))
        return slider->value();
    if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        spin->interpretText(); // a number still being typed counts
        return spin->value();
    }
    return 0;
}

// The bytes of a family's bit array, from the working copy.
std::vector<std::uint8_t> ArrayBytes(const TImageEditor& editor, int address, int bits)
{
    std::vector<std::uint8_t> bytes(std::size_t((bits + 7) / 8));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = std::uint8_t(editor.WorkingByte(address + int(i)));
    return bytes;
}

} // namespace

void TImageEditor::LoadBindings()
{
    for (const Binding& b : bindings_) {
        switch (b.kind) {
        case Kind::Bit:
            static_cast<QAbstractButton*>(b.control)->setChecked(WorkingBit(b.address, b.mask) != b.inverted);
            break;
        case Kind::Value:
            SetControlValue(b.control, WorkingByte(b.address) * b.mask);
            break;
        case Kind::Channels: {
            auto* family = static_cast<TChannelChecks*>(b.control);
            const std::vector<std::uint8_t> bytes = ArrayBytes(*this, b.address, family->Count());
            for (int n = 1; n <= family->Count(); ++n)
                family->SetChecked(n, TestBit(unsigned(n - 1), bytes.data()));
            break;
        }
        }
    }
}

void TImageEditor::StoreBindings()
{
    for (const Binding& b : bindings_) {
        switch (b.kind) {
        case Kind::Bit:
            SetWorkingBit(b.address, b.mask, static_cast<QAbstractButton*>(b.control)->isChecked() != b.inverted);
            break;
        case Kind::Value:
            SetWorkingByte(b.address, ControlValue(b.control) / b.mask);
            break;
        case Kind::Channels: {
            auto* family = static_cast<TChannelChecks*>(b.control);
            std::vector<std::uint8_t> bytes = ArrayBytes(*this, b.address, family->Count());
            for (int n = 1; n <= family->Count(); ++n) {
                if (family->Checked(n))
                    SetBit(unsigned(n - 1), bytes.data());
                else
                    ClearBit(unsigned(n - 1), bytes.data());
            }
            for (std::size_t i = 0; i < bytes.size(); ++i)
                SetWorkingByte(b.address + int(i), bytes[i]);
            break;
        }
        }
    }
}

void TImageEditor::FormShow()
{
    LoadOptionBytes();
    LoadBindings();
    LoadControls();
}

bool TImageEditor::OKBtnClick()
{
    if (!CheckControls())
        return false;
    StoreControls();
    StoreBindings();
    StoreOptionBytes();
    return true;
}

void TImageEditor::BindOkCancel(QAbstractButton* ok, QAbstractButton* cancel)
{
    if (ok)
        connect(ok, &QAbstractButton::clicked, this, [this] {
            if (OKBtnClick())
                accept();
        });
    if (cancel)
        connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

THelpPane* TImageEditor::SetHelpPane(QTextEdit* helpText)
{
    Help = new THelpPane(helpText, this);
    Help->SetSkipRepeat(true);
    Help->BindSilent(this);
    return Help;
}

void TImageEditor::BindSilent(std::initializer_list<QWidget*> widgets)
{
    for (QWidget* w : widgets)
        Help->BindSilent(w);
}

void TImageEditor::NameEdit(QWidget* spinBox, const char* name)
{
    spinBox->findChild<QLineEdit*>()->setObjectName(QString::fromLatin1(name));
}

void TImageEditor::SetEnabled(std::initializer_list<QWidget*> widgets, bool on)
{
    for (QWidget* w : widgets)
        w->setEnabled(on);
}

void TImageEditor::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        platform::CentreOnScreen(this);
        FormShow();
    }
    QDialog::showEvent(event);
}
