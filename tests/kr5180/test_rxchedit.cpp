// The receive-only channel's add / edit dialog: frequency parsing, rounding to 12.5 kHz,
// the limits, the Enter key, the arrows and a refused OK.
#include "editor_fixture.h"

#include "rxchedit.h"

#include <platform/msgbox.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSpinBox>

namespace {

class RxChEditTest : public k5test::EditorTest {
protected:
    void Open(int hz, int flags = 0, int mode = TfrmRxChEdit::ModeEdit, int channel = 45)
    {
        RX_CH_DATA_STRUCT r;
        r.frequency = hz;
        r.flags = flags;
        edit.SetEditMode(mode);
        edit.FillChannelList({43, 44, 59});
        edit.SetChannelData(r, channel);
        Show(edit);
    }
    QLineEdit* Freq() { return Child<QLineEdit>(edit, "editFreq"); }
    void Key(int key, const QString& text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(Freq(), &press);
    }
    // The frequency OK would store, or -1.
    int Entered()
    {
        RX_CH_DATA_STRUCT r;
        r.frequency = -7;
        const int c = edit.GetChannelData(r);
        return c < 0 ? (r.frequency == -7 ? -1 : -2) : r.frequency;
    }
    void TearDown() override
    {
        edit.hide();
        EditorTest::TearDown();
    }
    TfrmRxChEdit edit;
};

TEST_F(RxChEditTest, TypedFrequenciesRoundToTheStepAndStayInsideTheRange)
{
    Open(476425000);
    EXPECT_EQ(Freq()->text(), "476.4250");
    const std::pair<const char*, int> cases[] = {
        {"476.43", 476425000},   {"476.4375", 476437500}, {"476.00625", 476012500},
        {"900", 819175000},      {"819.19", 819175000},   {"99999999", 819175000},
        {"", 0},                 {"0.006", 0},            {"0.00625", 12500},
        {"-5", 0},               {"476.", 476000000},     {".5", 500000},
    };
    for (auto [text, hz] : cases) {
        Freq()->setText(QString::fromLatin1(text));
        EXPECT_EQ(Entered(), hz) << text;
    }
    // A plain decimal number only: a pasted comma is no group separator and no decimal point.
    for (const char* bad : {"1.2.3", ".", "nan", "inf", "476,425", "1,000", "4e2", " 476.4", "-"}) {
        Freq()->setText(QString::fromLatin1(bad));
        EXPECT_EQ(Entered(), -1) << bad;
    }
}

TEST_F(RxChEditTest, EnterShowsTheRoundedFrequencyAndOtherKeysAreRefused)
{
    Open(0);
    Freq()->setText("476.43");
    Key(Qt::Key_Return, "\r");
    EXPECT_EQ(Freq()->text(), "476.4250");
    Freq()->setText("1.2.3");
    Key(Qt::Key_Enter, "\r");
    EXPECT_EQ(Freq()->text(), "1.2.3");
    EXPECT_TRUE(edit.isVisible());

    Freq()->setText("47");
    Freq()->setCursorPosition(2);
    Key(Qt::Key_A, "a");
    Key(Qt::Key_Minus, "-");
    Key(Qt::Key_6, "6");
    Key(Qt::Key_Period, ".");
    Key(Qt::Key_5, "5");
    EXPECT_EQ(Freq()->text(), "476.5");
}

TEST_F(RxChEditTest, ArrowsStepFromTheRoundedValueWithinTheLimits)
{
    auto* arrows = Child<QSpinBox>(edit, "udFreq");
    Open(819175000);
    arrows->stepUp();
    EXPECT_EQ(Freq()->text(), "819.1750");
    Freq()->setText("0.0000");
    arrows->stepDown();
    EXPECT_EQ(Freq()->text(), "0.0000");
    Freq()->setText("476.43");
    arrows->stepDown();
    EXPECT_EQ(Freq()->text(), "476.4125");
    arrows->stepUp();
    arrows->stepUp();
    EXPECT_EQ(Freq()->text(), "476.4375");
    EXPECT_EQ(arrows->value(), 0);
    Freq()->setText("abc");
    arrows->stepUp();
    EXPECT_EQ(Freq()->text(), "abc");
}

TEST_F(RxChEditTest, TabSkipsTheArrowsWhichStillTakeTheMouse)
{
    auto* arrows = Child<QSpinBox>(edit, "udFreq");
    Open(476425000);
    EXPECT_EQ(TabChain(edit),
              (QStringList{"editChannel", "editFreq", "chkScan1", "chkScan2", "chkSilent", "btnOK", "btnCancel"}));

    QStyleOptionSpinBox option;
    option.initFrom(arrows);
    option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    const QPoint up =
        arrows->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, arrows).center();
    QMouseEvent press(QEvent::MouseButtonPress, up, arrows->mapToGlobal(up), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, up, arrows->mapToGlobal(up), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(arrows, &press);
    QApplication::sendEvent(arrows, &release);
    EXPECT_EQ(Freq()->text(), "476.4375");
}

TEST_F(RxChEditTest, OkOnABadFrequencyIsRefusedAndTheDialogStaysOpen)
{
    testsupport::MessageBoxResponder boxes;
    Open(476425000, RxScan1);
    Freq()->setText("47..6");
    boxes.expect(platform::IDOK);
    Button(edit, "btnOK")->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "Invalid Frequency");
    EXPECT_EQ(boxes.boxes()[0].caption, "Error");
    EXPECT_EQ(boxes.boxes()[0].flags, 0u);
    EXPECT_TRUE(edit.isVisible());
    Freq()->setText("476.45");
    Button(edit, "btnOK")->click();
    EXPECT_FALSE(edit.isVisible());
    EXPECT_EQ(edit.result(), QDialog::Accepted);
}

} // namespace
