#include "splash_scr.h"
#include "ui_splash_scr.h"

#include "about.h"

#include <platform/window.h>

#include <QApplication>
#include <QScrollBar>
#include <QWindow>

TSplash* Splash = nullptr;

TSplash::TSplash(QWidget* parent) : QWidget(parent), ui(new Ui::TSplash)
{
    ui->setupUi(this);
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    lblProgramType = ui->lblProgramType;
    SplashMemo = ui->SplashMemo;
    ui->imgSplash->setPixmap(DrawNavarLogo(ui->imgSplash->size()));
    setFixedSize(size());
}

TSplash::~TSplash()
{
    qApp->removeEventFilter(this);
    delete ui;
}

void TSplash::AddLine(const QString& line)
{
    SplashMemo->appendPlainText(line);
    SplashMemo->verticalScrollBar()->setValue(SplashMemo->verticalScrollBar()->maximum());
    repaint();
}

void TSplash::ShowCentred()
{
    platform::CentreOnScreen(this);
    show();
    repaint();
}

bool TSplash::StaysOnTop() const
{
    const QWindow* w = windowHandle();
    return (w ? w->flags() : windowFlags()).testFlag(Qt::WindowStaysOnTopHint);
}

void TSplash::SetStaysOnTop(bool on)
{
    // Through the platform window: changing the widget's flags would hide it.
    if (QWindow* w = windowHandle())
        w->setFlag(Qt::WindowStaysOnTopHint, on);
}

void TSplash::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    boxesUp_.clear();
    SetStaysOnTop(true);
    qApp->installEventFilter(this);
}

void TSplash::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    boxesUp_.clear();
    QWidget::hideEvent(event);
}

bool TSplash::eventFilter(QObject* watched, QEvent* event)
{
    // A modal box shown while the splash is up must not open underneath it: the splash
    // gives up staying on top until the last such box has gone.
    const QEvent::Type type = event->type();
    if ((type == QEvent::Show || type == QEvent::Hide) && watched != this && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && w->isModal()) {
            boxesUp_.removeAll(nullptr);
            boxesUp_.removeAll(w);
            if (type == QEvent::Show)
                boxesUp_.append(w);
            SetStaysOnTop(boxesUp_.isEmpty());
        }
    }
    return QWidget::eventFilter(watched, event);
}
