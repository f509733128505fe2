// The engineering options dialog on the editor fixture, and its opening from the main
// window of an engineering build.
#include "editor_fixture.h"
#include "main_fixture.h"

#include "engoptions.h"

#include <QCheckBox>

namespace {

class EngOptionsTest : public k5test::EditorTest {
protected:
    QCheckBox* Box(const char* name) { return Child<QCheckBox>(eng, name); }
    TfrmEngOptions eng;
};

TEST_F(EngOptionsTest, CheckingBothBoxesClearsExactlyTheirTwoBits)
{
    image.SetByte(35, 0x10);
    image.SetByte(38, 0x02);
    const Bytes before = Snapshot();
    Run(eng, [&] {
        EXPECT_FALSE(Box("chkEnableTx_RxOnly")->isChecked());
        EXPECT_FALSE(Box("chkCTCSS_5_35")->isChecked());
        Box("chkEnableTx_RxOnly")->click();
        Box("chkCTCSS_5_35")->click();
    }, Press::OK, "btnOk", "btnCancel");
    EXPECT_EQ(Byte(35), 0x00);
    EXPECT_EQ(Byte(38), 0x00);
    EXPECT_EQ(Changed(before), (std::vector<int>{35, 38}));

    image.SetByte(35, 0xEF);
    image.SetByte(38, 0xFD);
    Run(eng, [&] {
        EXPECT_TRUE(Box("chkEnableTx_RxOnly")->isChecked());
        Box("chkEnableTx_RxOnly")->click();
        Box("chkCTCSS_5_35")->click();
    }, Press::OK, "btnOk", "btnCancel");
    EXPECT_EQ(Byte(35), 0xFF);
    EXPECT_EQ(Byte(38), 0xFF);
}

TEST_F(EngOptionsTest, CancelAndCloseBoxLeaveTheImage)
{
    ExpectCancelKeepsImage(eng, [&] { Box("chkCTCSS_5_35")->click(); }, "btnOk", "btnCancel");
}

using EngOptionsMainTest = k5test::MainWindowTest;

TEST_F(EngOptionsMainTest, EngineeringMenuOpensTheWindowModal)
{
    EngineeringBuild = 1;
    writeDefaultFile(k5test::Pattern(5));
    boxes.expect(platform::IDOK); // no radio on COM1
    start();
    TfrmEngOptions eng;
    win->SetEditor(TfrmMain::Editor::Engineering, &eng);
    QWidget* shown = nullptr;
    bool modal = false;
    testsupport::ModalHandler handler([&](QWidget* w) {
        shown = w;
        modal = w->isModal();
        w->close();
    });
    action("mnuEditEngineering")->trigger();
    EXPECT_EQ(shown, &eng);
    EXPECT_TRUE(modal);
}

} // namespace
