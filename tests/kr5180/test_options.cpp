// The radio options dialog on the editor fixture.
#include "editor_fixture.h"

#include "options.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTextEdit>

namespace {

class OptionsTest : public k5test::EditorTest {
protected:
    QCheckBox* Ptt() { return Child<QCheckBox>(options, "chkPTT22_23"); }
    QSpinBox* Timeout() { return Child<QSpinBox>(options, "udTxTimeOut"); }
    TfrmOptions options;
};

TEST_F(OptionsTest, OnlyThePttBitAndTheTimeoutChange)
{
    image.SetByte(30, 0x5A);
    image.SetByte(35, 0x04 | 0x91);
    image.SetByte(33, 200);
    const Bytes before = Snapshot();
    Run(options, [&] {
        EXPECT_FALSE(Ptt()->isChecked());
        EXPECT_EQ(Timeout()->value(), 180);
        Ptt()->click();
    }, Press::OK);
    EXPECT_EQ(Byte(35), 0x91);
    EXPECT_EQ(Byte(33), 180);
    EXPECT_EQ(Byte(30), 0x5A);
    EXPECT_EQ(Changed(before), (std::vector<int>{33, 35}));

    image.SetByte(35, 0x00);
    image.SetByte(33, 0);
    Run(options, [&] {
        EXPECT_TRUE(Ptt()->isChecked());
        EXPECT_EQ(Timeout()->value(), 0);
        Ptt()->click();
        Timeout()->setValue(45);
    }, Press::OK);
    EXPECT_EQ(Byte(35), 0x04);
    EXPECT_EQ(Byte(33), 45);
}

TEST_F(OptionsTest, CancelAndCloseBoxLeaveTheImage)
{
    const Bytes before = Snapshot();
    for (Press press : {Press::Cancel, Press::CloseBox}) {
        Run(options, [&] {
            Ptt()->click();
            Timeout()->setValue(1);
        }, press);
        EXPECT_TRUE(Changed(before).empty());
    }
}

TEST_F(OptionsTest, HelpFollowsTheMouse)
{
    auto* memo = Child<QTextEdit>(options, "memoHelptext");
    auto move = [&](QWidget* w) {
        QMouseEvent e(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    Show(options);
    move(Child<QWidget>(options, "lblTime"));
    EXPECT_EQ(memo->toPlainText(), "Set maximum transmit time (secs)");
    move(Ptt());
    EXPECT_EQ(memo->toPlainText(), "Enable PTT operation on CH22/23.");
    move(Child<QWidget>(options, "editTxTimeout"));
    EXPECT_EQ(memo->toPlainText(), "Set maximum transmit time (secs)");
    move(Child<QWidget>(options, "GroupBox3"));
    EXPECT_EQ(memo->toPlainText(), "");
    Finish(options, Press::Cancel);
}

} // namespace
