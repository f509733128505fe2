#include "progress.h"
#include "ui_progress.h"

#include <platform/formrules.h>
#include <platform/misc.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QWindow>

namespace {

// Window-system events (expose, paint, the repaint of what a closed box uncovered) but no
// user input and no timers: the transfer blocks this thread between steps by design, and
// no other window's timer may put a command between its exchanges.
constexpr QEventLoop::ProcessEventsFlags PaintOnly =
    QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers;
// How long a new window may take to be mapped and exposed by the window manager.
constexpr int ExposeWaitMs = 500;

} // namespace

TfrmProgress* frmProgress = nullptr;

TfrmProgress::TfrmProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint), ui(new Ui::TfrmProgress)
{
    ui->setupUi(this);
    setModal(false);
    platform::ShowAboveOnTop(this); // the user must see it over the comms monitor
}

TfrmProgress::~TfrmProgress()
{
    if (frmProgress == this)
        frmProgress = nullptr;
    delete ui;
}

void TfrmProgress::SetTitle(const QString& title) { setWindowTitle(title); }

void TfrmProgress::SetRange(int min, int max)
{
    ui->ProgressBar->setRange(min, max);
    ui->ProgressBar->setValue(min);
}

void TfrmProgress::Begin(const char* title, int max)
{
    SetTitle(QString::fromLatin1(title));
    SetRange(0, max);
    ShowNow();
}

void TfrmProgress::Step(int n) { StepBy(n); }

void TfrmProgress::StepBy(int n)
{
    // Take what the window system queued since the last step (a late expose). The bar
    // paints a visible change of position at once by itself; the update covers a change
    // it judges too small, painted by the next step at the latest.
    if (isVisible()) {
        QCoreApplication::processEvents(PaintOnly);
        ui->ProgressBar->update();
    }
    ui->ProgressBar->setValue(ui->ProgressBar->value() + n);
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
    // A window manager maps the window some time after show(); until it is exposed,
    // nothing painted reaches the screen. Wait for that, bounded.
    QElapsedTimer waited;
    waited.start();
    QCoreApplication::processEvents(PaintOnly);
    while (!(testAttribute(Qt::WA_Mapped) && windowHandle() && windowHandle()->isExposed()) &&
           waited.elapsed() < ExposeWaitMs) {
        platform::Sleep(5);
        QCoreApplication::processEvents(PaintOnly);
    }
    PaintNow();
}

void TfrmProgress::PaintNow()
{
    if (!isVisible())
        return;
    // Take the expose and paint events queued since the last step, then paint the bar now.
    QCoreApplication::processEvents(PaintOnly);
    repaint();
}

void TfrmProgress::End()
{
    close();
}
