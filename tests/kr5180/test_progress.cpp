// The progress windows of the radio transfers reach the screen at every step, while the
// exchanges block the user-interface thread.
#include "main_fixture.h"

#include <QGuiApplication>
#include <QExposeEvent>
#include <QImage>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdlib>

using namespace k5test;

namespace {

// Columns of the bar's middle row drawn in the highlight colour: the filled part.
int FilledColumns(const QImage& image, const QRect& bar, const QColor& fill)
{
    int n = 0;
    for (int x = bar.left(); x <= bar.right(); ++x) {
        if (!image.rect().contains(x, bar.center().y()))
            continue;
        const QColor c = image.pixelColor(x, bar.center().y());
        if (std::abs(c.red() - fill.red()) < 40 && std::abs(c.green() - fill.green()) < 40 &&
            std::abs(c.blue() - fill.blue()) < 40)
            ++n;
    }
    return n;
}

// Stands in for a window manager that maps a new window a while after it is shown: holds
// back the first expose of each showing of the window for a moment. Until it comes,
// nothing painted reaches the screen.
class LateWindowManager : public QObject {
public:
    explicit LateWindowManager(QWidget* window) : window(window) { qApp->installEventFilter(this); }
    ~LateWindowManager() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched == window)
            held = false;
        if (event->type() != QEvent::Expose || watched != window->windowHandle() || held)
            return false;
        held = true;
        const QRegion region = static_cast<QExposeEvent*>(event)->region();
        QTimer::singleShot(80, this, [this, region] {
            if (window->isVisible()) {
                QExposeEvent late(region);
                QCoreApplication::sendEvent(window->windowHandle(), &late);
            }
        });
        return true;
    }

private:
    QWidget* window;
    bool held = false;
};

} // namespace

class ProgressTest : public MainWindowTest {
protected:
    // Runs a transfer; at each step records what the screen holds of the window, which
    // must already show the step before.
    void Watch(const char* buttonName, const char* title)
    {
        QProgressBar* bar = frmProgress->Bar();
        const QColor fill = bar->palette().color(QPalette::Highlight);
        std::vector<int> onScreen;
        int grabbed = -1;
        QString seenTitle;
        auto conn = QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
            if (v < 32)
                return;
            ASSERT_TRUE(frmProgress->windowHandle() && frmProgress->windowHandle()->isExposed());
            const QImage screen = QGuiApplication::primaryScreen()->grabWindow(frmProgress->winId()).toImage();
            onScreen.push_back(FilledColumns(screen, bar->geometry(), fill));
            if (v == 32) {
                grabbed = FilledColumns(frmProgress->grab().toImage(), bar->geometry(), fill);
                seenTitle = frmProgress->windowTitle();
            }
        });
        boxes.answerAll(platform::IDOK);
        click(buttonName);
        QObject::disconnect(conn);

        EXPECT_EQ(seenTitle.toStdString(), title);
        ASSERT_EQ(onScreen.size(), 15u);
        EXPECT_GT(onScreen[0], 0) << "the first block's position never reached the screen";
        EXPECT_GT(grabbed, onScreen[0]);
        for (std::size_t i = 1; i < onScreen.size(); ++i)
            EXPECT_GT(onScreen[i], onScreen[i - 1]) << "step " << i + 1 << " was not painted";
    }
};

TEST_F(ProgressTest, ReadingAndWritingWindowsPaintEveryStep)
{
    writeDefaultFile(Pattern(3));
    addSim(1);
    start();
    win->show();
    frmProgress = new TfrmProgress(win.get());
    LateWindowManager wm(frmProgress);
    {
        SCOPED_TRACE("write");
        Watch("btnWriteRadio", "Writing to Radio");
    }
    {
        SCOPED_TRACE("read");
        Watch("btnReadRadio", "Reading from Radio");
    }
    EXPECT_TRUE(boxes.boxes().size() == 3u);
}
