// What the KR5180 settings editors share: the working copy of the option bytes, the
// field bindings, OK / Cancel and the help pane (widgets/helppane.h).
//
// On show the option block (bytes 34 to 39, or 34 to 41) is copied into OptionBytes,
// then the bound controls and the window's own controls are loaded. OK first asks
// CheckControls (a refused entry shows its message, stores nothing and keeps the window
// open), then stores the window's own controls and the bound ones and writes OptionBytes
// back whole. Only OK writes: Cancel, Escape and the close box leave the image alone.
#pragma once

#include "eeprom.h"

#include <widgets/helppane.h>

#include <QDialog>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

class QAbstractButton;
class QComboBox;
class QTextEdit;
class QWidget;
class TChannelChecks;

class TImageEditor : public QDialog {
    Q_OBJECT
public:
    explicit TImageEditor(QWidget* parent = nullptr);

    // The image the window edits: eepromImage unless set.
    EEPROM* Image = nullptr;
    EEPROM& image() const;

    // Bytes OptionFirst .. OptionFirst + OptionCount - 1 of the image, as the window edits them.
    std::array<std::uint8_t, 8> OptionBytes{};
    static constexpr int OptionFirst = ee::OptionBlock;
    void LoadOptionBytes();
    void StoreOptionBytes();

    // A byte as the window edits it: the option block from OptionBytes, the rest from the image.
    int WorkingByte(int address) const;
    void SetWorkingByte(int address, int value);
    bool WorkingBit(int address, int mask) const;
    void SetWorkingBit(int address, int mask, bool on);

    // Runs on every showing. OKBtnClick returns false, storing nothing, when CheckControls refuses.
    void FormShow();
    bool OKBtnClick();

    THelpPane* Help = nullptr; // made by SetHelpPane

    // An editable combo's ItemIndex: the item its text names, -1 for typed text that names none.
    static int ItemIndex(const QComboBox* box);

protected:
    // 0 (no working copy), 6 (bytes 34..39) or 8 (bytes 34..41).
    void UseOptionBytes(int count) { optionCount_ = count; }

    // Field bindings, loaded and stored with the others.
    // A check box or radio button for the mask bits (all set when checked); inverted: checked when clear.
    void BindBit(QAbstractButton* box, int address, int mask, bool inverted = false);
    // A spin box or slider showing byte x scale, clamped into its range; stores value / scale.
    void BindValue(QWidget* control, int address, int scale = 1);
    // Box n of the family is bit n - 1 of the bit array at address; later bits are not touched.
    void BindChannels(TChannelChecks* family, int address);

    // The window's own part: load after the bindings, check, store before the bindings.
    virtual void LoadControls() {}
    virtual bool CheckControls() { return true; }
    virtual void StoreControls() {}

    // OK runs OKBtnClick and closes with OK when it stored; Cancel closes with Cancel.
    void BindOkCancel(QAbstractButton* ok, QAbstractButton* cancel);
    THelpPane* SetHelpPane(QTextEdit* helpText);
    // Help->BindSilent for each (after SetHelpPane).
    void BindSilent(std::initializer_list<QWidget*> widgets);

    // The line edit inside a spin box, under the name the program gives it.
    static void NameEdit(QWidget* spinBox, const char* name);
    static void SetEnabled(std::initializer_list<QWidget*> widgets, bool on);

    void showEvent(QShowEvent* event) override;

private:
    enum class Kind { Bit, Value, Channels };
    struct Binding {
        Kind kind;
        QObject* control;
        int address;
        int mask;  // Bit: the mask; Value: the scale
        bool inverted;
    };
    void LoadBindings();
    void StoreBindings();

    std::vector<Binding> bindings_;
    int optionCount_ = 0;
};
