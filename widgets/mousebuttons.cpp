#include "mousebuttons.h"

#include <QAbstractButton>
#include <QEvent>

namespace {

class TMouseDownUp : public QObject {
public:
    TMouseDownUp(QAbstractButton* button, std::function<void()> down, std::function<void()> up)
        : QObject(button), down_(std::move(down)), up_(std::move(up))
    {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)
            down_();
        else if (e->type() == QEvent::MouseButtonRelease)
            up_();
        return false; // the button still shows itself pressed
    }

private:
    std::function<void()> down_, up_;
};

} // namespace

void BindMouseDownUp(QAbstractButton* button, std::function<void()> down, std::function<void()> up)
{
    new TMouseDownUp(button, std::move(down), std::move(up));
}
