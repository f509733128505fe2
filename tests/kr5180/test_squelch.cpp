// The squelch dialog on the editor fixture.
#include "editor_fixture.h"

#include "squelch.h"

#include <QLineEdit>
#include <QSpinBox>

namespace {

class SquelchTest : public k5test::EditorTest {
protected:
    QSpinBox* Spin(const char* name) { return Child<QSpinBox>(squelch, name); }
    TfrmSquelch squelch;
};

TEST_F(SquelchTest, LevelIsClampedAndMuteOpenShownInMilliseconds)
{
    for (auto [stored, shown] : {std::pair{0, 1}, std::pair{15, 9}, std::pair{5, 5}}) {
        image.SetByte(32, stored);
        image.SetByte(49, 25);
        image.SetByte(48, 255);
        const Bytes before = Snapshot();
        Run(squelch, [&] {
            EXPECT_EQ(Spin("udSqlLevel")->value(), shown);
            EXPECT_EQ(Spin("udMuteOpen")->value(), 250);
            EXPECT_EQ(Spin("udMuteDebounce")->value(), 255);
        }, Press::OK, "btnOK", "btnCancel");
        EXPECT_EQ(Byte(32), shown);
        EXPECT_EQ(Byte(49), 25);
        EXPECT_EQ(Byte(48), 255);
        if (stored == shown) {
            EXPECT_TRUE(Changed(before).empty());
        }
    }
}

TEST_F(SquelchTest, TypedValuesAreStoredAndMuteOpenIsDividedDown)
{
    const Bytes before = Snapshot();
    Run(squelch, [&] {
        Child<QLineEdit>(squelch, "editMuteOpen")->setText("25");
        Child<QLineEdit>(squelch, "editSqlLevel")->setText("7");
        Spin("udMuteDebounce")->setValue(12);
        Child<QLineEdit>(squelch, "editMuteDebounce")->setText("4,0"); // no group separator: 12 stays
    }, Press::OK, "btnOK", "btnCancel");
    EXPECT_EQ(Byte(49), 2);
    EXPECT_EQ(Byte(32), 7);
    EXPECT_EQ(Byte(48), 12);
    EXPECT_EQ(Changed(before), (std::vector<int>{32, 48, 49}));
}

TEST_F(SquelchTest, CancelAndCloseBoxLeaveTheImage)
{
    ExpectCancelKeepsImage(squelch, [&] { Spin("udSqlLevel")->setValue(3); }, "btnOK", "btnCancel");
}

} // namespace
