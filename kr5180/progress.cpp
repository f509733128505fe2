#include "progress.h"
#include "ui_progress.h"

#include <QCoreApplication>
#include <QEventLoop>

TfrmProgress* frmProgress = nullptr;

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint), ui(new Ui::TfrmProgress)
{
    ui->setupUi(this);
    setModal(false);
}

TfrmProgress::~TfrmProgress()
{
    if (frmProgress == this)
        frmProgress = nullptr;
    delete ui;
}

void TfrmProgress::SetTitle(const QString& text)
{
    setWindowTitle(text);
}

void TfrmProgress::SetRange(int min, int max)
{
    ui->ProgressBar->setRange(min, max);
    ui->ProgressBar->setValue(0);
}

void TfrmProgress::StepBy(int n)
{
    ui->ProgressBar->setValue(ui->ProgressBar->value() + n);
    PaintNow();
}

int TfrmProgress::Position() const
{
    return ui->ProgressBar->value();
}

QProgressBar* TfrmProgress::Bar() const
{
    return ui->ProgressBar;
}

void TfrmProgress::ShowNow()
{
    show();
    // Let the window system map and expose the new window, taking no user input: the
    // exchanges that follow block this thread by design.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    PaintNow();
}

void TfrmProgress::PaintNow()
{
    if (isVisible())
        repaint();
}
