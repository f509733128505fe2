#include "splash_scr.h"
#include "ui_splash_scr.h"

#include "about.h"

#include <platform/window.h>

#include <QScrollBar>

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
