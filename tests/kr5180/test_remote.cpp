// The remote panel against the simulated radio: press, held and release of its keys.
// ctest-label: threaded (the serial port runs its reader and writer threads)
#include "remote.h"

#include "main_fixture.h"
#include "service_fixture.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using k5test::Bytes;

namespace {

class RemoteTest : public k5test::ServiceWindowTest {
protected:
    void SetUp() override
    {
        ServiceWindowTest::SetUp();
        win = std::make_unique<TfrmRemote>(&radio);
        win->show();
    }
    void TearDown() override
    {
        win.reset();
        ServiceWindowTest::TearDown();
    }

    QPushButton* key(const char* name) const
    {
        auto* b = win->findChild<QPushButton*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    QTimer* timer() const { return win->findChild<QTimer*>("tmrKeyHeld"); }
    static Bytes event(int code, int action) { return {0xA8, Bytes::value_type(code), Bytes::value_type(action)}; }

    std::unique_ptr<TfrmRemote> win;
};

TEST_F(RemoteTest, ShowingNamesTheKeys)
{
    EXPECT_EQ(win->windowTitle(), "KR5180 Remote Control");
    EXPECT_EQ(key("btnF2")->text(), "SCAN");
    EXPECT_EQ(win->findChild<QLabel*>("lbl_F2")->text(), "OS/GS");
    EXPECT_FALSE(win->findChild<QLineEdit*>("editChannel")->isVisible());
    EXPECT_TRUE(win->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(sent().empty());
}

TEST_F(RemoteTest, BriefClickSendsPressThenRelease)
{
    const std::pair<const char*, int> keys[] = {{"btnF1", 3}, {"btnF2", 9}, {"btnF3", 4}, {"btnF4", 5},
                                                {"btnUP", 140}, {"btnDN", 141}, {"btnCall", 7}};
    for (auto [name, code] : keys) {
        SCOPED_TRACE(name);
        press(key(name));
        EXPECT_TRUE(timer()->isActive());
        EXPECT_EQ(timer()->interval(), 1500);
        release(key(name));
        EXPECT_FALSE(timer()->isActive());
        EXPECT_EQ(sent(), (std::vector<Bytes>{event(code, 1), event(code, 2)}));
    }
}

TEST_F(RemoteTest, HoldingSendsHeldOnceBeforeTheRelease)
{
    press(key("btnUP"), Qt::RightButton);
    win->tmrKeyHeldTimer(); // 1500 ms later
    EXPECT_FALSE(timer()->isActive());
    release(key("btnUP"), Qt::RightButton);
    EXPECT_EQ(sent(), (std::vector<Bytes>{event(140, 1), event(140, 4), event(140, 2)}));
}

TEST_F(RemoteTest, KeyboardPressesOfTheKeysSendNothing)
{
    for (const char* name : {"btnF1", "btnF4", "btnUP", "btnDN"}) {
        QPushButton* b = key(name);
        b->setFocus();
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
        QApplication::sendEvent(b, &down);
        QApplication::sendEvent(b, &up);
        b->click();
    }
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(timer()->isActive());
}

TEST_F(RemoteTest, PttAlternatesAndIsReleasedWhenThePanelCloses)
{
    key("btnPTT")->click();
    key("btnPTT")->click();
    key("btnPTT")->click();
    EXPECT_EQ(sent(), (std::vector<Bytes>{event(6, 1), event(6, 2), event(6, 1)}));

    // Closed while transmitting and while a key is down: both are let go.
    press(key("btnF2"));
    sent();
    win->close();
    EXPECT_FALSE(timer()->isActive());
    EXPECT_EQ(sent(), (std::vector<Bytes>{event(9, 2), event(6, 2)}));

    win->show();
    EXPECT_FALSE(win->PttOn());
    key("btnPTT")->click();
    EXPECT_EQ(sent(), std::vector<Bytes>{event(6, 1)});
}

// The main window's "Remote Control" entry (hidden in every build) shows the panel modeless.
class RemoteEntryTest : public k5test::MainWindowTest {};

TEST_F(RemoteEntryTest, OpensThePanelModeless)
{
    writeDefaultFile(k5test::Pattern(1));
    addSim(1);
    start();
    TfrmRemote panel(radioCmd);
    win->SetEditor(TfrmMain::Editor::Remote, &panel);
    action("mnuEditRemote")->trigger();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_FALSE(panel.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

} // namespace
