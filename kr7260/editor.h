// What every editor window shares: the help pane and the editor protocol.
//
// Help pane: a read-only HelpText shows one fixed sentence for the control under
// the mouse or with the focus. THelpPane binds controls to it with an event filter:
// focus-ins go to FocusHelp, mouse moves to MouseHelp; panels, the pane itself and
// the window are bound for mouse moves only and have no sentence, so moving over
// them empties the pane.
//
// Editor protocol (TEditorForm): on show the whole image is copied into ImageBackup
// and words 3 to 6 into OptionBytes, then the window loads its controls. OK stores
// the controls and writes OptionBytes back into words 3 to 6; Cancel copies
// ImageBackup back over the whole image. Closing by the close box does neither.
#pragma once

#include "radio_image.h"

#include <QDialog>
#include <QHash>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class QAbstractButton;
class QTextEdit;
class QWidget;

class THelpPane : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(QObject* sender)>;

    explicit THelpPane(QTextEdit* helpText, QObject* parent = nullptr);

    // A control with a sentence: focus and mouse both show it (mouseOnly: mouse moves only).
    // Its child widgets (a spin box's editor, a combo's line edit) count as the control.
    void Bind(QWidget* control, const QString& sentence, bool mouseOnly = false);
    // A panel, the pane itself or the window: mouse moves empty the pane.
    void BindSilent(QWidget* widget);

    QString SentenceFor(QObject* sender) const;
    QTextEdit* helpText() const { return helpText_; }

    // Clears the pane, then shows the sender's sentence, if it has one.
    void FocusHelp(QObject* sender);
    void MouseHelp(QObject* sender);

    // The window's own handlers, when it wants to see the events (default: the pane's).
    void SetHandlers(Handler focusHelp, Handler mouseHelp);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QWidget* widget, QWidget* owner, bool focus, bool mouse);

    struct Binding {
        QWidget* owner = nullptr;
        bool focus = false;
        bool mouse = false;
    };
    QTextEdit* helpText_;
    QHash<QObject*, Binding> watched_;
    QHash<QObject*, QString> sentences_;
    Handler focusHandler_;
    Handler mouseHandler_;
};

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

    // A bit of words 3 to 6 as held in OptionBytes (mask 0x0001..0x8000).
    static int OptionByteIndex(int word, std::uint16_t mask);
    bool OptionBit(int word, std::uint16_t mask) const;
    void SetOptionBit(int word, std::uint16_t mask, bool on);
    // Copies words 3 to 6 into OptionBytes again (after a sub-window stored into them).
    void ReadOptionBytes();

    // The protocol steps. FormShow runs on every showing of the window.
    void FormShow();
    void OKBtnClick();
    void CancelBtnClick();

    THelpPane* Help = nullptr; // made by SetHelpPane

protected:
    // The window's own part: image and OptionBytes to controls, controls back.
    virtual void LoadControls() {}
    virtual void StoreControls() {}

    // OK runs OKBtnClick and closes with OK; Cancel (and the Escape key) runs
    // CancelBtnClick and closes with Cancel.
    void BindOkCancel(QAbstractButton* ok, QAbstractButton* cancel);
    THelpPane* SetHelpPane(QTextEdit* helpText);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QAbstractButton* cancelButton_ = nullptr;
};
