// The selcall idents window on the editor fixture: the ident and alpha tag conversions,
// the key filters and pasted text, the refused OK, the length check and telemetry.
#include "editor_fixture.h"

#include "selc_mem.h"
#include "selcall.h"

#include <platform/misc.h>
#include <platform/msgbox.h>

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

using k7test::EditorTest;
using testsupport::MessageBoxResponder;

struct FakeSelcall : TSelcallSettings {
    int group = 0;
    int TxGroupIndex() const override { return group; }
    bool PageEnabled() const override { return false; }
    bool AlarmInEnabled() const override { return false; }
};

class IdentsTest : public EditorTest {
protected:
    void SetUp() override { platform::SetBeepHook([this] { ++beeps; }); }
    void TearDown() override { platform::SetBeepHook({}); }

    // The window shown and active, so focus changes reach its boxes.
    void ShowActive()
    {
        Show(idents);
        idents.activateWindow();
        QApplication::setActiveWindow(&idents);
    }
    // The focus moved to w, or from one control to another, as by Tab.
    void Focus(QWidget* w) { w->setFocus(Qt::TabFocusReason); QApplication::processEvents(); }
    void Leave(QWidget* from, QWidget* to) { Focus(from); Focus(to); }
    void Key(QLineEdit* box, int pos, Qt::Key key)
    {
        box->setCursorPosition(pos);
        QKeyEvent ev(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(box, &ev);
    }

    void Type(QLineEdit* box, const QString& keys)
    {
        for (QChar c : keys) {
            QKeyEvent ev(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box, &ev);
        }
    }
    // The box's text after typing keys at position pos of text (selecting n characters).
    QString TypeAt(QLineEdit* box, const QString& text, int pos, const QString& keys, int n = 0)
    {
        box->setText(text);
        box->setCursorPosition(pos);
        if (n)
            box->setSelection(pos, n);
        Type(box, keys);
        return box->text();
    }

    FakeSelcall selcall;
    TfrmSelcallIdents idents{nullptr, &selcall};
    int beeps = 0;
};

TEST_F(IdentsTest, IdentsAndTagsLoadAndStore)
{
    // "Send no Group calls": group digits as loaded are stored as they stand.
    FillPattern();
    image.Set(43, 0x12A4);   image.Set(44, 0x7123);  // memory 1
    image.Set(45, 0xBC12);   image.Set(46, 0xF000);  // memory 2: B..F show as 0
    image.Set(47, 0x312A4);  image.Set(48, 0x17000); // memory 3: bits above 16 ignored
    image.Set(67, 0x54A2);   image.Set(68, 0x1000);  // radio ident
    image.Set(75, 0xA123);   image.Set(76, 0x4000);  // telemetry 4, on in the pattern
    image.Set(77, 0x4142);   image.Set(78, 0x0043);  image.Set(79, 0x4400); // "AB" then zero bytes
    image.Set(80, 0x0041);   image.Set(81, 0x4243);  image.Set(82, 0x4400); // first byte zero
    image.Set(83, 0xC9E9);   image.Set(84, 0x2A2B);  image.Set(85, 0x2D00); // Latin-1
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    Run(idents, [&] {
        EXPECT_EQ(idents.txtMem[1]->text(), "12A47");
        EXPECT_EQ(idents.txtMem[2]->text(), "00120");
        EXPECT_EQ(idents.txtMem[3]->text(), "12A47");
        EXPECT_EQ(idents.txtRadioIdent->text(), "54A21");
        EXPECT_TRUE(idents.txtMem[16]->isEnabled());
        EXPECT_EQ(idents.txtMem[16]->text(), "A1234");
        EXPECT_EQ(idents.txtAlphaMem[1]->text(), "AB");
        EXPECT_EQ(idents.txtAlphaMem[2]->text(), "");
        EXPECT_EQ(idents.txtAlphaMem[3]->text(), QString::fromLatin1("\xC9\xE9*+-"));
        EXPECT_TRUE(idents.txtMem[12]->isHidden());
        idents.txtMem[4]->setText("123");
        idents.txtAlphaMem[4]->setText("AB");
        idents.txtAlphaMem[5]->clear();
    }, Press::OK);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(image.Get(43), 0x12A4);
    EXPECT_EQ(image.Get(44), 0x7000);                 // low 12 bits cleared
    EXPECT_EQ(image.Get(45), 0x0012);
    EXPECT_EQ(image.Get(46), 0x0000);
    EXPECT_EQ(image.Get(47), 0x12A4);
    EXPECT_EQ(image.Get(49), 0x1230);
    EXPECT_EQ(image.Get(50), 0x0000);
    EXPECT_EQ(image.Get(65), 0x54A2);                 // last sent := radio ident
    EXPECT_EQ(image.Get(66), 0x1000);
    EXPECT_EQ(image.Get(75), 0xA123);
    EXPECT_EQ(image.Get(78), 0x2020);                 // blanks for the zero bytes
    EXPECT_EQ(image.Get(79), 0x2000);
    EXPECT_EQ(image.Get(80) | image.Get(81) | image.Get(82), 0); // empty stays empty
    EXPECT_EQ(image.Get(83), 0xC9E9);
    EXPECT_EQ(image.Get(86), 0x4142);
    EXPECT_EQ(image.Get(87), 0x2020);
    EXPECT_EQ(image.Get(88), 0x2000);
    EXPECT_EQ(image.Get(89) | image.Get(90) | image.Get(91), 0);
    for (int w : Changed(before))
        EXPECT_TRUE((w >= 3 && w <= 6) || (w >= 43 && w <= 106)) << w;
}

TEST_F(IdentsTest, GroupDigitOnlyWhereItLandsInToneFourOrFive)
{
    image.Set(6, 0x0100); // telemetry 1 on
    Show(idents);
    QLineEdit* mem = idents.txtMem[5];
    // No group calls: never.
    selcall.group = 0;
    EXPECT_EQ(TypeAt(mem, "1234", 4, "a"), "1234");
    EXPECT_EQ(beeps, 1);
    // Up to 10: tone 5 only, by the caret or a replaced selection.
    selcall.group = 1;
    EXPECT_EQ(TypeAt(mem, "1234", 4, "a"), "1234A");
    EXPECT_EQ(TypeAt(mem, "123", 3, "a"), "123");
    EXPECT_EQ(TypeAt(mem, "1234", 0, "A"), "1234");    // would be tone 1
    EXPECT_EQ(TypeAt(mem, "12345", 4, "a", 1), "1234A");
    // Up to 100: tone 4 or 5.
    selcall.group = 2;
    EXPECT_EQ(TypeAt(mem, "123", 3, "aa"), "123AA");
    EXPECT_EQ(TypeAt(mem, "12345", 1, "A", 4), "12345"); // the selection replaced: tone 2
    EXPECT_EQ(TypeAt(mem, "12", 2, "A"), "12");
    // Nor in the radio ident or a telemetry ident.
    EXPECT_EQ(TypeAt(idents.txtRadioIdent, "1234", 4, "a"), "1234");
    EXPECT_EQ(TypeAt(idents.txtMem[13], "1234", 4, "a"), "1234");
    EXPECT_EQ(beeps, 7);
    // Digits go in; anything else beeps.
    beeps = 0;
    EXPECT_EQ(TypeAt(mem, "", 0, "9x#0b"), "90");
    EXPECT_EQ(beeps, 3);
    // Digits go in wherever a group digit stands, whatever the choice now.
    selcall.group = 0;
    EXPECT_EQ(TypeAt(mem, "1234A", 1, "7", 1), "1734A");
    EXPECT_EQ(TypeAt(mem, "123A", 0, "7"), "7123A");
    EXPECT_EQ(beeps, 3);
    idents.hide();
}

TEST_F(IdentsTest, TagKeysAndPastedTextObeyTheKeyRules)
{
    selcall.group = 2;
    Show(idents);
    auto paste = [](QLineEdit* box, const QString& text) {
        box->clear();
        QApplication::clipboard()->setText(text);
        box->paste();
        return box->text();
    };
    EXPECT_EQ(paste(idents.txtMem[1], "123a"), "123A");
    EXPECT_EQ(paste(idents.txtMem[1], "1a2"), "");      // group digit in tone 2
    EXPECT_EQ(paste(idents.txtMem[1], "12-3"), "");
    // Deleting in front of a group digit moves it; that is checked when the box is left.
    QLineEdit* box = idents.txtMem[1];
    box->setText("1234");
    box->end(false);
    QApplication::clipboard()->setText("a");
    box->paste();
    box->setCursorPosition(0);
    box->del();
    box->del();
    EXPECT_EQ(box->text(), "34A");
    EXPECT_EQ(paste(idents.txtAlphaMem[1], "ab c"), "AB C");
    EXPECT_EQ(paste(idents.txtAlphaMem[1], "ab#"), "");
    idents.txtAlphaMem[7]->clear();
    Type(idents.txtAlphaMem[7], "ab #*");
    EXPECT_EQ(idents.txtAlphaMem[7]->text(), "AB *");
    EXPECT_EQ(beeps, 4);
    Finish(idents, Press::Cancel);
}

// Text that bypassed the filters refuses OK before anything is stored.
TEST_F(IdentsTest, RefusedBoxStoresNothing)
{
    FillPattern();
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    boxes.expect(platform::IDOK);
    Show(idents);
    idents.txtRadioIdent->setText("11111");
    idents.txtMem[9]->setText("12G");
    idents.OKBtn->click();
    EXPECT_TRUE(idents.isVisible());
    EXPECT_TRUE(Changed(before).empty());
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, "Invalid Ident");
    Finish(idents, Press::Cancel);
}

TEST_F(IdentsTest, LengthCheckWhenTheFocusLeaves)
{
    MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    ShowActive();
    idents.txtMem[5]->setText("123");
    idents.txtMem[6]->setText("1"); // short too: no second box when the focus comes back
    Leave(idents.txtMem[5], idents.txtMem[6]);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "The Ident is not long enough.\rPlease ensure it has 5 tones.");
    EXPECT_EQ(boxes.boxes()[0].caption, "Incorrect number of tones");
    EXPECT_EQ(boxes.boxes()[0].flags, 0u);
    EXPECT_EQ(QApplication::focusWidget(), idents.txtMem[5]);
    EXPECT_EQ(idents.txtMem[5]->text(), "123");

    idents.txtMem[5]->setText("12345");
    idents.txtRadioIdent->setText("1234");
    Leave(idents.txtRadioIdent, idents.txtMem[1]);
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, "The Radio Ident is not long enough.\rPlease ensure it has 5 tones.");
    idents.txtRadioIdent->setText("12345");

    // Not for telemetry idents, nor on the way to Cancel.
    idents.chkTeleMem[2]->click();
    idents.txtMem[14]->setText("123");
    Leave(idents.txtMem[14], idents.txtMem[1]);
    idents.txtMem[5]->setText("123");
    Leave(idents.txtMem[5], idents.CancelBtn);
    EXPECT_EQ(boxes.boxes().size(), 2u);
    idents.OKBtn->click(); // OK after all: the box was left short
    EXPECT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(QApplication::focusWidget(), idents.txtMem[5]);
    idents.txtMem[5]->setText("12345");
    Finish(idents, Press::OK);
    EXPECT_EQ(image.Get(51), 0x1234);
    EXPECT_EQ(image.Get(71), 0x1230); // telemetry 2 padded
}

// OK leaves the box too: a short ident left for OK (click or Tab) shows the length
// message, the focus goes back to it and nothing is stored. Enter in the box presses no
// button: OK is not the window's default.
TEST_F(IdentsTest, LengthCheckOnTheWayToOk)
{
    FillPattern();
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    ShowActive();
    QLineEdit* box = idents.txtMem[5];
    Focus(box);
    box->setText("123");
    auto refused = [&](std::size_t count) {
        EXPECT_EQ(boxes.boxes().size(), count);
        EXPECT_TRUE(idents.isVisible());
        EXPECT_EQ(QApplication::focusWidget(), box);
        EXPECT_TRUE(Changed(before).empty());
    };
    // A click: the button takes the focus, and is released before the check has run.
    idents.OKBtn->setFocus(Qt::MouseFocusReason);
    idents.OKBtn->click();
    QApplication::processEvents();
    refused(1);
    Focus(idents.OKBtn);
    refused(2);
    EXPECT_EQ(boxes.boxes()[1].text, "The Ident is not long enough.\rPlease ensure it has 5 tones.");
    testsupport::PressEnter(box);
    QApplication::processEvents();
    refused(2);

    box->setText("12345");
    idents.OKBtn->setFocus(Qt::MouseFocusReason);
    idents.OKBtn->click();
    QApplication::processEvents();
    EXPECT_FALSE(idents.isVisible());
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(image.Get(51), 0x1234);
}

// Digits, Backspace and Delete go in wherever a group digit stands; an ident whose group
// digit stands where it may not is refused when the focus leaves it and on OK.
TEST_F(IdentsTest, GroupDigitOutOfPlaceIsRefusedOnLeavingAndOnOk)
{
    selcall.group = 2; // up to 100: tone 4 or 5
    FillPattern();
    image.Set(53, 0x123A);
    image.Set(54, 0x4000); // memory 6: 123A4
    const TRadioImage::Words before = image.Snapshot();
    MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    ShowActive();
    QLineEdit* box = idents.txtMem[6];
    // An ident as loaded is stored as it stands: leaving it says nothing.
    ASSERT_EQ(idents.txtRadioIdent->text(), "726A7");
    Leave(idents.txtRadioIdent, box);
    EXPECT_TRUE(boxes.boxes().empty());
    Key(box, 1, Qt::Key_Delete);
    Key(box, 1, Qt::Key_Backspace);
    box->end(false);
    Type(box, "12");
    EXPECT_EQ(box->text(), "3A412");
    EXPECT_EQ(beeps, 0);

    // Leaving the box, then OK: each refused with the message, the focus back in the box.
    Focus(idents.txtMem[7]);
    idents.OKBtn->click();
    ASSERT_EQ(boxes.boxes().size(), 2u);
    for (const auto& b : boxes.boxes())
        EXPECT_EQ((b.caption + "|" + b.text).toStdString(),
                  "Incorrect group digit|The group digit A may only be tone 4 or 5\rwhen sending Group calls up to 100.");
    EXPECT_TRUE(idents.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), box);

    // On OK every changed box is checked, the ones never entered too.
    box->setText("3412A");
    idents.txtRadioIdent->setText("1A345");
    idents.OKBtn->click();
    ASSERT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(boxes.boxes()[2].text.toStdString(), "The group digit A may only be used in a call memory.");
    EXPECT_EQ(QApplication::focusWidget(), idents.txtRadioIdent);
    EXPECT_TRUE(Changed(before).empty());
    Finish(idents, Press::Cancel);
}

TEST_F(IdentsTest, TelemetryBoxEnablesItsIdent)
{
    image.Set(6, 0x0A00); // telemetry 2 and 4
    image.Set(69, 0x1111);
    Run(idents, [&] {
        EXPECT_FALSE(idents.txtMem[13]->isEnabled());
        EXPECT_TRUE(idents.txtMem[14]->isEnabled() && idents.txtMem[16]->isEnabled());
        idents.chkTeleMem[1]->click();
        EXPECT_TRUE(idents.txtMem[13]->isEnabled());
        idents.chkTeleMem[4]->click();
        EXPECT_FALSE(idents.txtMem[16]->isEnabled());
        idents.txtMem[16]->setText("99999");
    }, Press::OK);
    EXPECT_EQ(image.Get(6), 0x0300);
    EXPECT_EQ(image.Get(69), 0x1111);
    EXPECT_EQ(image.Get(75), 0x9999); // stored although disabled
}

} // namespace
