// What every KR7260 editor window shares: the editor protocol, its field bindings and
// the help pane (widgets/helppane.h).
//
// Editor protocol (TEditorForm): on show the whole image is copied into ImageBackup
// and words 3 to 6 into OptionBytes, then the bound controls and the window's own
// controls are loaded. OK checks the controls (nothing is stored when a check fails,
// and the window stays open), stores the bound controls and the window's own, and
// writes OptionBytes back into words 3 to 6. Cancel, Escape and the close box copy
// ImageBackup back over the whole image, undoing sub-windows' stores too.
#pragma once

#include "radio_image.h"

#include <widgets/helppane.h>

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class TChannelChecks;
class QTextEdit;
class QWidget;

class TEditorForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditorForm(QWidget* parent = nullptr);

    std::array<std::int32_t, kr72map::WordCount> ImageBackup{};
    // Low byte of word 3, high byte of word 3, then the same for words 4, 5 and 6.
    std::array<std::uint8_t, 8> OptionBytes{};

    // The image the window edits: MainForm's unless set (tests).
    TRadioImage* Image = nullptr;
    TRadioImage& image() const;

    // A bit of words 3 to 6 as held in OptionBytes (mask 0x0001..0x8000); other words
    // read as clear and are not set.
    bool OptionBit(int word, std::uint16_t mask) const;
    void SetOptionBit(int word, std::uint16_t mask, bool on);
    // Copies words 3 to 6 into OptionBytes again (after a sub-window stored into them).
    void ReadOptionBytes();

    // A word as the window edits it: words 3 to 6 from OptionBytes (16 bits), the
    // others from the image.
    std::int32_t WorkingWord(int word) const;
    void SetWorkingWord(int word, std::int32_t value);

    // The protocol steps. FormShow runs on every showing of the window. OKBtnClick
    // returns false, storing nothing, when CheckControls refuses.
    void FormShow();
    bool OKBtnClick();
    void CancelBtnClick();

    THelpPane* Help = nullptr; // made by SetHelpPane

protected:
    // Field bindings: each control is tied to its bits once and loaded and stored with
    // the others. A field is (word & mask) shifted down to bit 0.
    // A check box (or radio button) set when the field is not 0; stored as all mask
    // bits set or clear. inverted: checked when the field is 0.
    void BindBit(QAbstractButton* box, int word, std::uint16_t mask, bool inverted = false);
    // A radio button checked when the field equals value; stores value when checked.
    void BindChoice(QAbstractButton* button, int word, std::uint16_t mask, int value);
    // A scroll bar, slider or spin box showing the field, clamped into its range for
    // display; OK stores the clamped value.
    void BindValue(QWidget* control, int word, std::uint16_t mask);
    // A control with its own conversion (a pick list, a tone list): show puts the field
    // into the control; value gives the field to store, or nothing to refuse OK after
    // showing its own message. OK reads every such field before it stores anything.
    using FieldShow = std::function<void(int field)>;
    using FieldValue = std::function<std::optional<int>()>;
    void BindField(QWidget* control, int word, std::uint16_t mask, FieldShow show, FieldValue value);
    // A channel check-box family over a channel bitmap: box n is channel index
    // first + n - 1, bit (index mod 16) of word base + index div 16. Hidden boxes count;
    // the bits of other channels in the same words are kept.
    void BindChannels(TChannelChecks* family, int base, int first = 0);
    // The window writes its bound words whole: OK stores each bound word other than
    // 3 to 6 as a 16-bit word, clearing bits 16..31 of its element. Without it a
    // binding changes only its own bits.
    void WriteWholeWords() { wholeWords_ = true; }

    // The window's own part: image and OptionBytes to controls, controls back.
    // CheckControls shows its own message and returns false to refuse OK.
    virtual void LoadControls() {}
    virtual bool CheckControls() { return true; }
    virtual void StoreControls() {}

    // OK runs OKBtnClick and closes with OK when it stored; Cancel (and Escape) closes
    // with Cancel, which restores the image.
    void BindOkCancel(QAbstractButton* ok, QAbstractButton* cancel);
    // Makes Help over helpText; ok and cancel, when given, get the usual OK and Cancel
    // sentences.
    THelpPane* SetHelpPane(QTextEdit* helpText, QWidget* ok = nullptr, QWidget* cancel = nullptr);
    // A control without help: moving the mouse over it leaves the pane as it is. Call
    // after the pane's bindings, so this window's filter sees the moves first.
    void KeepHelp(QWidget* control);

    bool eventFilter(QObject* watched, QEvent* event) override;

    void done(int result) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Kind { Bit, Choice, Value, Field, Channels };
    struct Binding {
        Kind kind;
        QWidget* control;
        int word;           // Channels: the bitmap's base word
        std::uint16_t mask;
        int value;          // Bit: 1 = inverted; Choice: the value; Channels: first index
        TChannelChecks* family = nullptr;
        FieldShow show;
        FieldValue read;
    };
    void LoadBindings();
    // The values of the Field bindings, in binding order; false when one refuses.
    bool ReadFields(std::vector<int>& fields) const;
    void StoreBindings(const std::vector<int>& fields);

    std::vector<Binding> bindings_;
    std::vector<QObject*> keepHelp_;
    QAbstractButton* cancelButton_ = nullptr;
    bool wholeWords_ = false;
};
