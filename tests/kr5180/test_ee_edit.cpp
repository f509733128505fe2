// EEPROM editor: the grid in its bases and sizes, the commit rule, the header file, and
// the radio operations against the simulated radio.
// ctest-label: threaded (the serial port and the simulated radio run their own threads)
#include "main_fixture.h"

#include "ee_edit.h"

#include <QPlainTextEdit>
#include <QHeaderView>
#include <QRadioButton>
#include <QTableWidget>

using namespace k5test;

class EeEditTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        radio = &startWithRadio(fileImage, radioMemory, 250);
        ASSERT_TRUE(serialPort->SerialPortIsOpen());
        ed = std::make_unique<TfrmEEpromEdit>(radioCmd);
    }
    void TearDown() override
    {
        ed.reset();
        MainWindowTest::TearDown();
    }

    void Open(const QStringList& header = {})
    {
        if (!header.isEmpty()) {
            QFile f(workPath("eerom_kr5180.h"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(header.join(QLatin1Char('\n')).toLatin1());
        }
        ed->SetSource(eepromImage, 28);
        ed->SetHeaderFile(QStringLiteral("eerom_kr5180.h"));
        ed->show();
        radio->clearLog();
    }
    void Press(const char* name) { ed->findChild<QAbstractButton*>(QString::fromLatin1(name))->click(); }
    QString Memo() const { return ed->findChild<QPlainTextEdit*>("memoEE")->toPlainText(); }
    // The data cells as the grid shows them, in address order.
    QStringList DataCells() const
    {
        QStringList cells;
        for (int row = 1; row < ed->RowCount(); ++row)
            for (int col = 3; col < ed->ColCount(); ++col)
                cells << ed->Cell(col, row);
        return cells;
    }

    const Bytes fileImage = Pattern(20);
    const Bytes radioMemory = Pattern(21);
    testsupport::Kr5180Sim* radio = nullptr;
    std::unique_ptr<TfrmEEpromEdit> ed;
};

TEST_F(EeEditTest, RowFourInEveryBaseAndSizeAndTheCurrentCellKeepsItsRow)
{
    eepromImage->SetByte(6, 0x12);
    eepromImage->SetByte(7, 0x34);
    Open();
    EXPECT_EQ(ed->RowCount(), 129);
    EXPECT_EQ(ed->ColCount(), 5);
    EXPECT_EQ(ed->Cell(0, 0), "Addr");
    EXPECT_EQ(ed->Cell(4, 0), "Data (Lo)");
    struct Case {
        const char* base;
        const char* size;
        QStringList row4;
    };
    for (const Case& c : {Case{"rgBase1", "rgDataSize0", {"6", "18", "52"}},
                          Case{"rgBase2", "rgDataSize0", {"0006", "12", "34"}},
                          Case{"rgBase0", "rgDataSize0", {"6", "00010010", "00110100"}},
                          Case{"rgBase0", "rgDataSize1", {"6", "0001001000110100"}},
                          Case{"rgBase1", "rgDataSize1", {"6", "4660"}},
                          Case{"rgBase2", "rgDataSize1", {"0006", "1234"}}}) {
        SCOPED_TRACE(std::string(c.base) + c.size);
        ed->SetCurrentCell(ed->ColCount() - 1, 10);
        Press(c.base);
        Press(c.size);
        QStringList row4{ed->Cell(0, 4), ed->Cell(3, 4)};
        if (ed->ColCount() == 5)
            row4 << ed->Cell(4, 4);
        EXPECT_EQ(row4, c.row4);
        EXPECT_EQ(ed->Row(), 10);
        EXPECT_EQ(ed->Col(), ed->ColCount() == 5 ? 4 : 3);
    }
    EXPECT_EQ(ed->Cell(3, 0), "Data (16-bit)");
}

TEST_F(EeEditTest, NoValueOrHeadingIsCutShortInAnyBaseOrSize)
{
    Open();
    auto* grid = ed->findChild<QTableWidget*>("sg_eeprom");
    QAbstractItemView* view = grid; // the cells' own width
    for (const char* size : {"rgDataSize0", "rgDataSize1"})
        for (const char* base : {"rgBase0", "rgBase1", "rgBase2"}) {
            SCOPED_TRACE(std::string(size) + base);
            Press(size);
            Press(base);
            for (int c = 2; c < grid->columnCount(); ++c) {
                EXPECT_GE(grid->columnWidth(c), view->sizeHintForColumn(c)) << c;
                EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c)) << c;
            }
            int width = 0;
            for (int c = 0; c < grid->columnCount(); ++c)
                width += grid->columnWidth(c);
            EXPECT_GE(grid->viewport()->width(), width) << "the whole row is in view";
        }
    Press("rgDataSize0");
    Press("rgBase1");
}

TEST_F(EeEditTest, CommitTakesEachBaseItsWayAndABadHexCellStopsIt)
{
    const Bytes before = image();
    Open();
    ed->SetCell(3, 1, "300");  // decimal byte: 300 mod 256
    ed->SetCell(4, 1, "junk"); // a rejected decimal counts as 0
    Press("rgBase0");
    ed->SetCell(3, 2, "1101");
    ed->SetCell(4, 2, "2222");
    Press("btnOK");
    EXPECT_FALSE(ed->isVisible());
    Bytes expected = before;
    expected[0] = 44;
    expected[1] = 0;
    expected[2] = 13;
    expected[3] = 0;
    EXPECT_EQ(image(), expected);

    // Hexadecimal: "ZZ" is refused with the platform's text; OK then closes, source as it was.
    Press("rgBase2");
    ed->show();
    ed->SetCell(3, 1, "7F");
    ed->SetCell(4, 3, "ZZ");
    ed->SetCurrentCell(3, 1);
    boxes.answerAll(platform::IDOK);
    Press("btnWriteAddr");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "'xZZ' is not a valid integer value");
    EXPECT_FALSE(radio->waitForRequests(1, 100)) << "nothing goes to the radio";
    Press("btnOK");
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_FALSE(ed->isVisible());
    EXPECT_EQ(image(), expected);
    Press("rgBase1");
}

TEST_F(EeEditTest, HeaderFileNamesTheCellsAndBadLinesLoseNothing)
{
    const QString longName(70, QLatin1Char('N'));
    boxes.answerAll(platform::IDOK);
    Open({"#ifndef EEROM_H", "#define EEROM_H", "  #define INDENTED 2", "x #define NOPE 3", "#define MOD 6", "#define\tTRIM 0x1F // trim",
          "#define FAR 256", "#define " + longName + " 9", "#define LONGADDR 0x" + QString(40, QLatin1Char('0')) + "4",
          "#define BAD zz", "#define " + QString(300, QLatin1Char('x')) + " 10", "#define AFTER 8"});
    EXPECT_EQ(ed->Cell(1, 4), "MOD");
    EXPECT_EQ(ed->Cell(2, 16), "TRIM");
    EXPECT_EQ(ed->Cell(1, 5), "AFTER") << "the lines after a bad address still load";
    EXPECT_EQ(ed->Cell(2, 5), longName.left(63));
    EXPECT_EQ(ed->Cell(1, 2), "INDENTED");
    EXPECT_EQ(ed->Cell(2, 2), "") << "text before #define";
    EXPECT_EQ(ed->Cell(1, 3), "") << "an over-long address token";
    EXPECT_EQ(ed->Cell(1, 6), "") << "the rest of a long line is a line of its own";
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, "'zz' is not a valid integer value");
    QStringList expected;
    for (int a = 0; a < 256; ++a)
        expected << QString::number(fileImage[a]);
    EXPECT_EQ(DataCells(), expected);
    ed->close();

    // A missing header: no names, no box.
    QFile::remove(workPath("eerom_kr5180.h"));
    boxes.clear();
    Open();
    EXPECT_EQ(ed->Cell(1, 4), "");
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(EeEditTest, SingleCellReadAndWrite)
{
    Open();
    ed->SetCurrentCell(1, 4);
    boxes.expect(platform::IDOK);
    Press("btnReadAddr");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    ExpectBox(boxes.boxes()[0], "Please select data location to read", "Read EEPROM", 0);
    EXPECT_FALSE(radio->waitForRequests(1, 100));

    ed->SetCurrentCell(4, 4); // address 7
    Press("btnReadAddr");
    EXPECT_EQ(Memo(), "Reading EEPROM ... OK");
    EXPECT_EQ(ed->Cell(4, 4), QString::number(radioMemory[7]));
    EXPECT_EQ(eepromImage->GetByte(7), radioMemory[7]);

    Press("rgDataSize1");
    ed->SetCell(3, 4, "4660");
    radio->clearLog();
    Press("btnWriteAddr");
    EXPECT_EQ(Memo(), "Writing EEPROM ... OK");
    EXPECT_EQ(radio->requests(), std::vector<Bytes>{(Bytes{0xA2, 0x00, 0x06, 0x12, 0x34})});
    radio->setSilent(true);
    Press("btnReset");
    EXPECT_EQ(Memo(), "RESET radio... Fail");
    Press("rgDataSize0");
}

TEST_F(EeEditTest, ReadAllAndWriteAllFailOnAnyMissedBlock)
{
    Open();
    const QStringList grid = DataCells();
    // Silent radio, or one block lost with the reset answered: "Fail", nothing changes.
    // Requests: 1 program mode, 2.. blocks, 18 reset.
    for (bool silent : {true, false}) {
        SCOPED_TRACE(silent);
        radio->setSilent(silent);
        radio->clearLog();
        radio->setDroppedReplies(silent ? std::set<int>{} : std::set<int>{6});
        Press("btnReadAll");
        EXPECT_EQ(Memo(), "Reading EEPROM...Fail");
        EXPECT_EQ(DataCells(), grid);
        EXPECT_EQ(image(), fileImage);
        EXPECT_EQ(radio->requests().back(), Bytes{0xBF});
    }
    radio->clearLog();
    radio->setDroppedReplies({});
    Press("btnReadAll");
    EXPECT_EQ(Memo(), "Reading EEPROM...OK");
    EXPECT_EQ(image(), radioMemory);
    EXPECT_EQ(ed->Cell(3, 1), QString::number(radioMemory[0]));

    // Write All sends the grid as committed, in test mode 1; a lost block ends in "Fail".
    ed->SetCell(3, 1, "200");
    radio->clearLog();
    radio->setDroppedReplies({5});
    Press("btnWriteAll");
    EXPECT_EQ(Memo(), "Writing EEPROM...Fail");
    EXPECT_EQ(eepromImage->GetByte(0), 200);
    const auto log = radio->requests();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], Bytes{0xB9});
    EXPECT_EQ(log[1], (Bytes{0xB8, 0x01}));
    EXPECT_EQ(log.back(), Bytes{0xBF});
    radio->setDroppedReplies({});
    Press("btnWriteAll");
    EXPECT_EQ(Memo(), "Writing EEPROM...OK");
    EXPECT_EQ(radio->memory(), image());

    Press("btnErase");
    EXPECT_EQ(ed->Cell(4, 128), "255");
    EXPECT_EQ(eepromImage->GetByte(255), radioMemory[255]) << "the source changes only on OK";
}

TEST_F(EeEditTest, MainWindowOpensItOnTheImageWithTheHeaderFile)
{
    EngineeringBuild = 1;
    win.reset();
    start(250);
    auto editor = std::make_unique<TfrmEEpromEdit>(radioCmd);
    win->SetEditor(TfrmMain::Editor::Eeprom, editor.get());
    QString cell;
    testsupport::ModalHandler h([&](QWidget* w) {
        auto* e = static_cast<TfrmEEpromEdit*>(w);
        cell = e->Cell(3, 2);
        e->SetCell(3, 2, "99");
        e->btnOKClick();
    });
    action("mnuEditEeprom")->trigger();
    EXPECT_TRUE(h.ran());
    EXPECT_EQ(editor->headerFileName, "eerom_kr5180.h");
    EXPECT_EQ(cell, QString::number(fileImage[2]));
    EXPECT_EQ(eepromImage->GetByte(2), 99);
    editor.reset();
}
