// The progress windows of the radio transfers reach the screen at every step, while the
// exchanges block the user-interface thread.
// ctest-label: threaded (the late expose comes from a thread, as a window system's would)
#include "main_fixture.h"

#include <QExposeEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include <chrono>
#include <thread>

using namespace k5test;

namespace {

// Columns of the bar's middle row in the highlight colour: its filled part.
int Filled(const QImage& image, const QProgressBar* bar)
{
    const QColor fill = bar->palette().color(QPalette::Highlight);
    const QRect r = bar->geometry();
    int n = 0;
    for (int x = r.left(); x <= r.right(); ++x)
        if (image.rect().contains(x, r.center().y())) {
            const QColor c = image.pixelColor(x, r.center().y());
            n += std::abs(c.red() - fill.red()) + std::abs(c.green() - fill.green()) + std::abs(c.blue() - fill.blue()) < 90;
        }
    return n;
}

// A window manager that maps a new window a while after it is shown: the first expose of
// each showing is held back and arrives 80 ms later from outside the user-interface thread.
// Until it comes, nothing painted reaches the screen.
class LateWindowManager : public QObject {
public:
    explicit LateWindowManager(QWidget* window) : window(window) { qApp->installEventFilter(this); }
    ~LateWindowManager() override
    {
        qApp->removeEventFilter(this);
        for (std::thread& t : late)
            t.join();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched == window)
            held = false;
        if (event->type() != QEvent::Expose || watched != window->windowHandle() || held)
            return false;
        held = true;
        QWindow* target = window->windowHandle();
        const QRegion region(QRect(QPoint(), target->size()));
        late.emplace_back([target, region] {
            std::this_thread::sleep_for(std::chrono::milliseconds(80));
            QCoreApplication::postEvent(target, new QExposeEvent(region));
        });
        return true;
    }

private:
    QWidget* window;
    bool held = false;
    std::vector<std::thread> late;
};

} // namespace

TEST_F(MainWindowTest, ReadingAndWritingWindowsPaintEveryStep)
{
    writeDefaultFile(Pattern(3));
    addSim(1);
    start();
    win->show();
    frmProgress = new TfrmProgress(win.get());
    LateWindowManager wm(frmProgress);
    boxes.answerAll(platform::IDOK);
    for (const char* button : {"btnWriteRadio", "btnReadRadio"}) {
        SCOPED_TRACE(button);
        // At each step the screen must already show the step before.
        QProgressBar* bar = frmProgress->Bar();
        std::vector<int> onScreen;
        int grabbed = -1;
        auto conn = QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
            if (v < 32)
                return;
            onScreen.push_back(Filled(QGuiApplication::primaryScreen()->grabWindow(frmProgress->winId()).toImage(), bar));
            if (v == 32)
                grabbed = Filled(frmProgress->grab().toImage(), bar);
        });
        click(button);
        QObject::disconnect(conn);
        ASSERT_EQ(onScreen.size(), 15u);
        EXPECT_GT(onScreen[0], 0) << "the first block's position never reached the screen";
        EXPECT_GT(grabbed, onScreen[0]);
        for (std::size_t i = 1; i < onScreen.size(); ++i)
            EXPECT_GT(onScreen[i], onScreen[i - 1]) << "step " << i + 1 << " was not painted";
    }
}
