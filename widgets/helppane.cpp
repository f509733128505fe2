#include "helppane.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>
#include <QTextEdit>
#include <QWidget>

THelpPane::THelpPane(QTextEdit* helpText, QObject* parent) : QObject(parent), helpText_(helpText)
{
    SetHandlers({}, {});
}

void THelpPane::Watch(QWidget* widget, QWidget* owner, bool focus, bool mouse)
{
    watched_[widget] = {owner, focus, mouse};
    if (mouse)
        widget->setMouseTracking(true);
    widget->installEventFilter(this);
    // A scroll area's viewport gets the mouse, not the area.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        if (QWidget* vp = area->viewport(); vp && !watched_.contains(vp))
            Watch(vp, owner, focus, mouse);
    }
}

bool THelpPane::TakesChild(QWidget* child, QWidget* control) const
{
    // A child not bound yet, or bound to a control around this one (a group box bound
    // first): the innermost bound control owns it, whatever the order of binding.
    const auto it = watched_.constFind(child);
    return it == watched_.constEnd() || (it->owner != child && it->owner->isAncestorOf(control));
}

void THelpPane::Bind(QWidget* control, const QString& sentence, bool mouseOnly)
{
    BindControl(control, sentence, !mouseOnly, true);
}

void THelpPane::BindFocus(QWidget* control, const QString& sentence)
{
    BindControl(control, sentence, true, false);
}

void THelpPane::BindControl(QWidget* control, const QString& sentence, bool focus, bool mouse)
{
    if (!control)
        return;
    sentences_[control] = sentence;
    Watch(control, control, focus, mouse);
    for (QWidget* child : control->findChildren<QWidget*>()) {
        if (TakesChild(child, control))
            Watch(child, control, focus, mouse);
    }
}

void THelpPane::BindSilent(QWidget* widget)
{
    if (widget)
        Watch(widget, widget, false, true);
}

QString THelpPane::SentenceFor(QObject* sender) const { return sentences_.value(sender); }

void THelpPane::FocusHelp(QObject* sender)
{
    if (skipRepeat_) {
        if (sender == lastSender_)
            return;
        lastSender_ = sender;
    }
    if (!helpText_)
        return;
    helpText_->clear();
    const QString sentence = SentenceFor(sender);
    if (!sentence.isEmpty())
        helpText_->append(sentence);
}

void THelpPane::MouseHelp(QObject* sender) { FocusHelp(sender); }

void THelpPane::SetHandlers(Handler focusHelp, Handler mouseHelp)
{
    focusHandler_ = focusHelp ? std::move(focusHelp) : [this](QObject* s) { FocusHelp(s); };
    mouseHandler_ = mouseHelp ? std::move(mouseHelp) : [this](QObject* s) { MouseHelp(s); };
}

bool THelpPane::eventFilter(QObject* watched, QEvent* event)
{
    const auto it = watched_.constFind(watched);
    if (it == watched_.constEnd())
        return QObject::eventFilter(watched, event);
    const Binding b = it.value();
    switch (event->type()) {
    case QEvent::FocusIn:
        if (b.focus)
            focusHandler_(b.owner);
        break;
    case QEvent::MouseMove:
        if (b.mouse && static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) {
            mouseHandler_(b.owner);
            // Handled here: the parent must not see it too and empty the pane again.
            return true;
        }
        break;
    case QEvent::Destroy:
        watched_.remove(watched);
        sentences_.remove(watched);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
