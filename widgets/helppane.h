// The help pane of the editor windows: a read-only text shows one fixed sentence for
// the control under the mouse or with the focus.
//
// THelpPane binds controls to it with an event filter: focus-ins go to FocusHelp, mouse
// moves to MouseHelp. Panels, the pane itself and the window are bound for mouse moves
// only and have no sentence, so moving over them empties the pane.
//
// With SkipRepeat on (the KR5180 windows), a call for the same control as the last one
// changes nothing; the last control is never forgotten, not even between showings.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

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
    // Focus only: the control's mouse moves go on to its parent (a group box, say).
    void BindFocus(QWidget* control, const QString& sentence);
    // A panel, the pane itself or the window: mouse moves empty the pane.
    void BindSilent(QWidget* widget);

    QString SentenceFor(QObject* sender) const;

    // Clears the pane, then shows the sender's sentence, if it has one.
    void FocusHelp(QObject* sender);
    void MouseHelp(QObject* sender);

    void SetSkipRepeat(bool on) { skipRepeat_ = on; }

    // The window's own handlers, when it wants to see the events (default: the pane's).
    void SetHandlers(Handler focusHelp, Handler mouseHelp);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BindControl(QWidget* control, const QString& sentence, bool focus, bool mouse);
    void Watch(QWidget* widget, QWidget* owner, bool focus, bool mouse);
    bool TakesChild(QWidget* child, QWidget* control) const;

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
    bool skipRepeat_ = false;
    QPointer<QObject> lastSender_;
};
