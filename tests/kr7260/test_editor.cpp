// The editor protocol's field bindings and the refusal of OK, on the editor fixture.
#include "editor_fixture.h"

#include "ctcss.h"
#include "options.h"
#include "page.h"
#include "scan.h"
#include "selcall.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

class TBoundEditor : public TEditorForm {
public:
    TBoundEditor()
    {
        auto* lay = new QVBoxLayout(this);
        for (QWidget* w : std::initializer_list<QWidget*>{chkOption, chkInverted, rbLow, rbHigh, hsbRate, OKBtn, CancelBtn})
            lay->addWidget(w);
        OKBtn->setObjectName("OKBtn");
        CancelBtn->setObjectName("CancelBtn");
        hsbRate->setRange(1, 60);
        BindBit(chkOption, 3, 0x0040);
        BindBit(chkInverted, 11, 0x1000, true);
        BindChoice(rbLow, 4, 0x0300, 1);
        BindChoice(rbHigh, 4, 0x0300, 2);
        BindValue(hsbRate, 9, 0xFF00);
        BindOkCancel(OKBtn, CancelBtn);
    }
    bool CheckControls() override { return !refuse; }

    QCheckBox* chkOption = new QCheckBox(this);
    QCheckBox* chkInverted = new QCheckBox(this);
    QRadioButton* rbLow = new QRadioButton(this);
    QRadioButton* rbHigh = new QRadioButton(this);
    QScrollBar* hsbRate = new QScrollBar(Qt::Horizontal, this);
    QPushButton* OKBtn = new QPushButton("OK", this);
    QPushButton* CancelBtn = new QPushButton("Cancel", this);
    bool refuse = false;
};

using k7test::EditorTest;

TEST_F(EditorTest, BindingsLoadAndStoreOnlyTheirBits)
{
    FillPattern();
    image.Set(3, 0x0040);
    image.Set(4, 0xFEFF | 0x0200);  // choice field = 2
    image.Set(9, 0xC8AB);           // rate 200: shown as 60
    image.Set(11, 0x0000);          // inverted bit clear: box checked
    const TRadioImage::Words before = image.Snapshot();
    TBoundEditor editor;
    Run(editor, [&] {
        EXPECT_TRUE(editor.chkOption->isChecked());
        EXPECT_TRUE(editor.chkInverted->isChecked());
        EXPECT_TRUE(editor.rbHigh->isChecked());
        EXPECT_EQ(editor.hsbRate->value(), 60);
        editor.chkOption->setChecked(false);
        editor.chkInverted->setChecked(false);
        editor.rbLow->setChecked(true);
    }, Press::OK);
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(Changed(before), (std::vector<int>{3, 4, 9, 11}));
    EXPECT_EQ(image.Get(3), 0x0000);
    EXPECT_EQ(image.Get(4), 0xFDFF);   // field 1, every other bit as read
    EXPECT_EQ(image.Get(9), 0x3CAB);   // the clamped rate, low byte as read
    EXPECT_EQ(image.Get(11), 0x1000);
}

TEST_F(EditorTest, CancelCloseBoxAndRefusedOkLeaveTheImage)
{
    FillPattern();
    const TRadioImage::Words before = image.Snapshot();
    TBoundEditor editor;
    for (Press press : {Press::Cancel, Press::CloseBox}) {
        Run(editor, [&] {
            editor.chkOption->toggle();
            image.Set(100, 7); // a store straight into the image, as a sub-window makes
        }, press);
        EXPECT_EQ(editor.result(), QDialog::Rejected);
        EXPECT_TRUE(Changed(before).empty());
    }

    editor.refuse = true;
    Show(editor);
    editor.chkOption->toggle();
    editor.OKBtn->click();
    EXPECT_TRUE(editor.isVisible()); // the window stays open, nothing stored
    EXPECT_TRUE(Changed(before).empty());
    editor.refuse = false;
    editor.OKBtn->click();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(image.Get(3) & 0x0040, (before[3] & 0x0040) ^ 0x0040);
}

// The windows that write their bound words whole: OK clears bits 16..31 of those elements
// (as a .mem file may carry them) and keeps the bytes the window does not own.
TEST_F(EditorTest, WholeWordWindowsClearTheUpperHalvesOfTheWordsTheyWrite)
{
    struct Case {
        TEditorForm* window;
        std::vector<int> cleared;
        std::vector<std::pair<int, std::int32_t>> kept; // word, bits kept as read
    };
    TfrmSelcall selcall;
    TfrmPageAlarm page{nullptr, &selcall};
    TfrmCtcss ctcss;
    TfrmOptions options;
    TfrmScan scan;
    const Case cases[] = {
        {&ctcss, {3, 4, 5, 6, 21, 39, 40, 41}, {{41, 0xFF00}}}, // spare channels' bits
        {&options, {2, 3, 4, 5, 6, 8}, {{2, 0xFFFF}, {8, 0xFFFF}}},
        {&page, {3, 4, 5, 6, 8, 13, 18, 19, 20}, {{8, 0xFFFF}, {13, 0xFFFF}}},
        {&scan, {3, 4, 5, 6, 9, 11, 27, 28, 29, 31, 32, 33}, {{11, 0xFF00}, {29, 0xFF00}, {33, 0xFF00}}},
        {&selcall, {3, 4, 5, 6, 7, 35, 36, 37}, {{37, 0xFFFF}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window->metaObject()->className());
        FillPattern();
        image.Set(2, 0x0A03);
        image.Set(8, 0x0537);  // CB 06, time-out kept
        image.Set(13, 0x0304);
        image.Set(37, 0xAB01);
        for (int w = 0; w < kr72map::WordCount; ++w)
            image.Set(w, std::int32_t(std::uint32_t(image.Get(w)) | 0xFFFF0000u));
        const TRadioImage::Words before = image.Snapshot();
        Run(*c.window, {}, Press::OK);
        std::vector<int> cleared;
        for (int w = 0; w < kr72map::WordCount; ++w)
            if ((std::uint32_t(image.Get(w)) >> 16) == 0)
                cleared.push_back(w);
        EXPECT_EQ(cleared, c.cleared);
        for (auto [w, mask] : c.kept)
            EXPECT_EQ(image.Get(w) & mask, before[w] & mask) << w;
    }
}

} // namespace
