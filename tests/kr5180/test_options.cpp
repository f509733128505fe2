// The radio options dialog on the editor fixture.
#include "editor_fixture.h"

#include "options.h"

#include <QCheckBox>
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
    ExpectCancelKeepsImage(options, [&] {
        Ptt()->click();
        Timeout()->setValue(1);
    });
}

TEST_F(OptionsTest, HelpFollowsTheMouse)
{
    auto* memo = Child<QTextEdit>(options, "memoHelptext");
    Show(options);
    MouseMove(Child<QWidget>(options, "lblTime"));
    MouseMove(Ptt());
    EXPECT_EQ(memo->toPlainText(), "Enable PTT operation on CH22/23.");
    MouseMove(Child<QWidget>(options, "editTxTimeout"));
    EXPECT_EQ(memo->toPlainText(), "Set maximum transmit time (secs)");
    Finish(options, Press::Cancel);
}

} // namespace
