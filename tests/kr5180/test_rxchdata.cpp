// The receive-only channel list on the editor fixture, and its opening from the main window.
#include "editor_fixture.h"
#include "main_fixture.h"

#include "rxchdata.h"
#include "rxchedit.h"

#include <platform/msgbox.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTableWidget>

namespace {

using testsupport::ModalHandler;

class RxChDataTest : public k5test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        data.EditDialog = &edit;
        data.SetImage(&image);
        // No channel in use, no flags, unless a test says so.
        NoRxChannels();
        for (int a : {69, 70, 71, 77, 78, 79, 93, 94, 95})
            image.SetByte(a, 0);
    }
    QTableWidget* Grid() { return Child<QTableWidget>(data, "sgRxChEdit"); }
    QString Cell(int row, int col) { return Grid()->item(row, col) ? Grid()->item(row, col)->text() : QString("-"); }
    int RowOf(int channel)
    {
        for (int r = 0; r < Grid()->rowCount(); ++r)
            if (Cell(r, 0) == QString::number(channel))
                return r;
        return -1;
    }
    // Presses button `name` of the list, letting `act` work on the add / edit dialog.
    bool Through(const char* name, const std::function<void(TfrmRxChEdit&)>& act)
    {
        ModalHandler handler([&](QWidget* w) {
            if (w == &edit)
                act(edit);
            else
                w->close();
        });
        Button(data, name)->click();
        return handler.ran();
    }
    TfrmRxChEdit edit;
    TfrmRxChData data;
};

TEST_F(RxChDataTest, ChannelsInUseFillTheGridAndOkWritesZeroForTheOthersAndThePastBits)
{
    SetWord(216 + 2 * 4, 38114);          // channel 45: 476.4250 MHz
    SetWord(216 + 2 * 19, 38118);         // channel 60
    image.SetByte(69, 0x10);              // 45 in scan memory 1
    image.SetByte(95, 0x08);              // 60 silent
    for (int a : {71, 79, 95})            // bits past channel 60, as an erased radio has them
        image.SetByte(a, Byte(a) | 0xF0);
    image.SetByte(68, 0xA5);              // CB channels' bits are not the list's
    Run(data, [&] {
        ASSERT_EQ(Grid()->rowCount(), 2);
        EXPECT_EQ(Grid()->horizontalHeaderItem(1)->text(), "Frequency (MHz)");
        EXPECT_EQ(Cell(0, 0), "45");
        EXPECT_EQ(Cell(0, 1), "476.4250");
        EXPECT_EQ((QStringList{Cell(0, 2), Cell(0, 3), Cell(0, 4)}), (QStringList{"Y", "N", "N"}));
        EXPECT_EQ(Cell(1, 1), "476.4750");
        EXPECT_EQ(Cell(1, 4), "Y");
    }, Press::OK, "btnOK", "btnCancel");
    for (int c = 41; c <= 60; ++c) {
        const int want = c == 45 ? 38114 : c == 60 ? 38118 : 0;
        EXPECT_EQ(image.GetWord(216 + 2 * (c - 41)), want) << c;
    }
    EXPECT_EQ(Byte(69), 0x10);
    EXPECT_EQ(Byte(71), 0x00);
    EXPECT_EQ(Byte(79), 0x00);
    EXPECT_EQ(Byte(95), 0x08);
    EXPECT_EQ(Byte(68), 0xA5);
}

TEST_F(RxChDataTest, EmptyListAddsFrom477AndTheNextAddStartsFromTheLast)
{
    testsupport::MessageBoxResponder boxes; // Edit and Delete must show nothing
    Show(data);
    ASSERT_EQ(Grid()->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "");
    EXPECT_FALSE(Through("btnEdit", [](TfrmRxChEdit&) {}));
    EXPECT_FALSE(Through("btnDelete", [](TfrmRxChEdit&) {}));

    QStringList offered;
    EXPECT_TRUE(Through("btnAdd", [&](TfrmRxChEdit& e) {
        auto* list = Child<QComboBox>(e, "cbChannel");
        for (int i = 0; i < list->count(); ++i)
            offered << list->itemText(i);
        EXPECT_EQ(Child<QLineEdit>(e, "editFreq")->text(), "477.0000");
        Child<QLineEdit>(e, "editFreq")->setText("476.43");
        Child<QCheckBox>(e, "chkScan1")->setChecked(true);
        Button(e, "btnOK")->click();
    }));
    EXPECT_EQ(offered.size(), 20);
    EXPECT_EQ(offered.front(), "41");
    EXPECT_EQ(Cell(0, 0), "41");
    EXPECT_EQ(Cell(0, 1), "476.4250");

    EXPECT_TRUE(Through("btnAdd", [&](TfrmRxChEdit& e) {
        EXPECT_EQ(Child<QComboBox>(e, "cbChannel")->itemText(0), "42");
        EXPECT_EQ(Child<QComboBox>(e, "cbChannel")->count(), 19);
        EXPECT_EQ(Child<QLineEdit>(e, "editFreq")->text(), "476.4250");
        EXPECT_TRUE(Child<QCheckBox>(e, "chkScan1")->isChecked());
        Button(e, "btnCancel")->click();
    }));
    EXPECT_EQ(Grid()->rowCount(), 1);
    Finish(data, Press::OK, "btnOK");
    EXPECT_EQ(image.GetWord(216), 38114);
    EXPECT_EQ(Byte(69), 0x01);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(RxChDataTest, EditingChannel45IntoScanMemory2SetsOnlyItsBit)
{
    SetWord(216 + 2 * 4, 38114);
    const Bytes before = Snapshot();
    Show(data);
    Grid()->setCurrentCell(RowOf(45), 0);
    EXPECT_TRUE(Through("btnEdit", [&](TfrmRxChEdit& e) {
        EXPECT_EQ(Child<QLineEdit>(e, "editChannel")->text(), "45");
        Child<QCheckBox>(e, "chkScan2")->setChecked(true);
        Button(e, "btnOK")->click();
    }));
    EXPECT_EQ(Cell(0, 3), "Y");
    Finish(data, Press::OK, "btnOK");
    EXPECT_EQ(Byte(77), 0x10);
    std::vector<int> changed = Changed(before);
    // The words of the channels not in use that held 0xFFFF are now 0.
    changed.erase(std::remove_if(changed.begin(), changed.end(), [](int a) { return a >= 216; }), changed.end());
    EXPECT_EQ(changed, std::vector<int>{77});
}

TEST_F(RxChDataTest, DeleteAsksAndCancelKeepsTheChannel)
{
    SetWord(216 + 2 * 4, 38114);
    SetWord(216 + 2 * 6, 38000);
    testsupport::MessageBoxResponder boxes;
    Show(data);
    Grid()->setCurrentCell(RowOf(45), 0);
    boxes.expect(platform::IDCANCEL);
    Button(data, "btnDelete")->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    k5test::ExpectBox(boxes.boxes()[0], "Delete channel 45?", "Delete", 0x31);
    EXPECT_EQ(Grid()->rowCount(), 2);
    boxes.expect(platform::IDOK);
    Button(data, "btnDelete")->click();
    EXPECT_EQ(Grid()->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "47");
    Finish(data, Press::OK, "btnOK");
    EXPECT_EQ(image.GetWord(216 + 2 * 4), 0);
    EXPECT_EQ(image.GetWord(216 + 2 * 6), 38000);
}

TEST_F(RxChDataTest, FullListHasNoSpareChannelAndTheRightButtonKeepsTheSelection)
{
    for (int c = 41; c <= 60; ++c)
        SetWord(216 + 2 * (c - 41), 38000 + c);
    testsupport::MessageBoxResponder boxes;
    Show(data);
    boxes.expect(platform::IDOK);
    Button(data, "btnAdd")->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    k5test::ExpectBox(boxes.boxes()[0], "There are no spare channels.", "Add Channel", 0);

    Grid()->setCurrentCell(2, 0);
    QWidget* vp = Grid()->viewport();
    const QPointF at(10, Grid()->rowViewportPosition(7) + 5);
    QMouseEvent press(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    EXPECT_EQ(Grid()->currentRow(), 2);
    EXPECT_TRUE(data.PopUpMenu->isVisible());
    data.PopUpMenu->hide();
    boxes.expect(platform::IDCANCEL);
    data.findChild<QAction*>("PopUpMenuDelete")->trigger();
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].text, "Delete channel 43?");
    Finish(data, Press::Cancel, "btnOK", "btnCancel");
}

TEST_F(RxChDataTest, CancelAndCloseBoxLeaveTheImage)
{
    SetWord(216, 38114);
    testsupport::MessageBoxResponder boxes;
    boxes.answerAll(platform::IDOK);
    ExpectCancelKeepsImage(data, [&] {
        Button(data, "btnDelete")->click();
        Through("btnAdd", [](TfrmRxChEdit& e) { Button(e, "btnOK")->click(); });
    }, "btnOK", "btnCancel");
}

// The main window gives the list its image before it shows it.
using RxChDataMainTest = k5test::MainWindowTest;

TEST_F(RxChDataMainTest, ChannelDataButtonSetsTheImageAndShowsTheListModal)
{
    writeDefaultFile(k5test::Pattern(3));
    boxes.expect(platform::IDOK); // no radio on COM1
    start();
    TfrmRxChData data;
    win->SetEditor(TfrmMain::Editor::ChannelData, &data);
    EEPROM other(256);
    data.SetImage(&other);
    QWidget* shown = nullptr;
    ModalHandler handler([&](QWidget* w) {
        shown = w;
        w->close();
    });
    click("btnChannelData");
    EXPECT_EQ(shown, &data);
    EXPECT_EQ(data.Image, eepromImage);
}

} // namespace
