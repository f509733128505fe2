#include "helppane.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>
#include <QTextEdit>
#include <QWidget>

THelpPane::THelpPane(QTextEdit* helpText, QObject* parent) : QObject(parent), helpText_(helpText)
{
    focusHandler_ = [this](QObject* s) { FocusHelp(s); };
    mouseHandler_ = [this](QObject* s) { MouseHelp(s); };
}

void THelpPane::Watch(QWidget* widget, QWidget* owner, bool focus, bool mouse)
{
    Binding& b = watched_[widget];
    b.owner = owner;
    b.focus = focus;
    b.mouse = mouse;
    if (mouse)
        widget->setMouseTracking(true);
    widget->installEventFilter(this);
    // A scroll area's viewport gets the mouse, not the area.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        if (QWidget* vp = area->viewport(); vp && !watched_.contains(vp)) {
            watched_[vp] = b;
            if (mouse)
                vp->setMouseTracking(true);
            vp->installEventFilter(this);
        }
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
    if (!control)
        return;
    sentences_[control] = sentence;
    Watch(control, control, !mouseOnly, true);
    for (QWidget* child : control->findChildren<QWidget*>()) {
        if (TakesChild(child, control))
            Watch(child, control, !mouseOnly, true);
    }
}

void THelpPane::BindFocus(QWidget* control, const QString& sentence)
{
    if (!control)
        return;
    sentences_[control] = sentence;
    Watch(control, control, true, false);
    for (QWidget* child : control->findChildren<QWidget*>()) {
        if (TakesChild(child, control))
            Watch(child, control, true, false);
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
    if (!sentence.isEmpty()) {
        message_ = sentence;
        helpText_->append(sentence);
    }
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
