#include <platform/formrules.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QWindow>

namespace platform {

namespace {

const char* const kAboveOnTop = "navarAboveOnTop";

// Standard boxes and dialogs keep Qt's own default button.
bool InStandardDialog(const QWidget* w)
{
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QMessageBox*>(p) || qobject_cast<const QFileDialog*>(p)
            || qobject_cast<const QDialogButtonBox*>(p))
            return true;
    return false;
}

bool IsEnter(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    return mods == Qt::NoModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}

bool CountsAsModal(const QWidget* w)
{
    return w->isModal() || w->property(kAboveOnTop).toBool();
}

class FormRules : public QObject {
public:
    explicit FormRules(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Polish:
            // Not auto-default: Qt would make the first such button the dialog's default
            // and let a focused one take over Enter from the marked default.
            if (auto* button = qobject_cast<QPushButton*>(watched); button && !InStandardDialog(button))
                button->setAutoDefault(false);
            break;
        case QEvent::KeyPress:
            // A focused button that is neither auto-default (those of standard dialogs)
            // nor the marked default would ignore Enter: it is pressed.
            if (auto* button = qobject_cast<QPushButton*>(watched); button && IsEnter(static_cast<QKeyEvent*>(event))
                && !button->autoDefault() && !button->isDefault()) {
                button->click();
                return true;
            }
            break;
        case QEvent::Show:
        case QEvent::Hide:
            if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
                WindowShownOrHidden(static_cast<QWidget*>(watched), event->type() == QEvent::Show);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void WindowShownOrHidden(QWidget* window, bool shown)
    {
        if (CountsAsModal(window)) {
            modals_.removeAll(nullptr);
            modals_.removeAll(window);
            if (shown)
                modals_.append(window);
        } else if (!shown || !(window->windowFlags() & Qt::WindowStaysOnTopHint)) {
            return;
        }
        // The newest modal window stays above; every other stay-on-top window steps back
        // while one is up.
        QWidget* top = modals_.isEmpty() ? nullptr : modals_.last().data();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!(w->windowFlags() & Qt::WindowStaysOnTopHint))
                continue;
            // Through the platform window: changing the widget's flags would hide it.
            if (QWindow* handle = w->windowHandle())
                handle->setFlag(Qt::WindowStaysOnTopHint, !top || w == top);
        }
    }

    QList<QPointer<QWidget>> modals_;
};

} // namespace

void InstallFormRules()
{
    auto* app = QCoreApplication::instance();
    const char* const installed = "navarFormRules";
    if (!app || app->property(installed).toBool())
        return;
    app->setProperty(installed, true);
    app->installEventFilter(new FormRules(app));
}

void ShowAboveOnTop(QWidget* window)
{
    window->setProperty(kAboveOnTop, true);
}

bool StaysOnTop(const QWidget* window)
{
    const QWindow* w = window->windowHandle();
    return (w ? w->flags() : window->windowFlags()).testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace platform
