#include "ee_edit.h"
#include "ui_ee_edit.h"

#include "eeprom.h"
#include "progress.h"
#include "radio.h"
#include "transfer.h"

#include <platform/application.h>
#include <platform/msgbox.h>
#include <platform/safefile.h>
#include <platform/strtoint.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFile>
#include <QHeaderView>
#include <QPainter>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>

TfrmEEpromEdit* frmEEpromEdit = nullptr;

namespace {

constexpr int DesignWidth = 489;
constexpr int NameWidth = 155, ByteWidth = 55, WordWidth = 111, AddrMargin = 25;
constexpr int RowHeight = 18;
constexpr int LineChars = 254;      // one read of the header file
constexpr int NameChars = 63, AddressChars = 31;
const char* const Define = "#define";

} // namespace

TfrmEEpromEdit::TfrmEEpromEdit(KR5100* radio, QWidget* parent, TTransferProgress* progress)
    : QDialog(parent), ui(new Ui::TfrmEEpromEdit), radio(radio), progress(progress)
{
    ui->setupUi(this);
    auto* baseGroup = new QButtonGroup(this);
    baseGroup->addButton(ui->rgBase0, 0);
    baseGroup->addButton(ui->rgBase1, 1);
    baseGroup->addButton(ui->rgBase2, 2);
    auto* sizeGroup = new QButtonGroup(this);
    sizeGroup->addButton(ui->rgDataSize0, 0);
    sizeGroup->addButton(ui->rgDataSize1, 1);
    connect(baseGroup, &QButtonGroup::idClicked, this, [this] { rgBaseClick(); });
    connect(sizeGroup, &QButtonGroup::idClicked, this, [this] { rgDataSizeClick(); });

    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmEEpromEdit::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->btnReadAddr, &QPushButton::clicked, this, &TfrmEEpromEdit::btnReadAddrClick);
    connect(ui->btnWriteAddr, &QPushButton::clicked, this, &TfrmEEpromEdit::btnWriteAddrClick);
    connect(ui->btnReadAll, &QPushButton::clicked, this, &TfrmEEpromEdit::btnReadAllClick);
    connect(ui->btnWriteAll, &QPushButton::clicked, this, &TfrmEEpromEdit::btnWriteAllClick);
    connect(ui->btnErase, &QPushButton::clicked, this, &TfrmEEpromEdit::btnEraseClick);
    connect(ui->btnReset, &QPushButton::clicked, this, &TfrmEEpromEdit::btnResetClick);
    connect(ui->btnProgrMode, &QPushButton::clicked, this, &TfrmEEpromEdit::btnProgrModeClick);

    ui->memoEE->viewport()->setBackgroundRole(QPalette::Window); // coloured as the form

    QTableWidget* grid = ui->sg_eeprom;
    grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // The corner is the grid's fixed cell "Addr".
    if (auto* corner = grid->findChild<QAbstractButton*>())
        corner->installEventFilter(this);

    if (!frmEEpromEdit)
        frmEEpromEdit = this;
    FormCreate();
}

TfrmEEpromEdit::~TfrmEEpromEdit()
{
    if (frmEEpromEdit == this)
        frmEEpromEdit = nullptr;
    delete ui;
}

bool TfrmEEpromEdit::eventFilter(QObject* watched, QEvent* event)
{
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (corner && event->type() == QEvent::Paint) {
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.text = QStringLiteral("Addr");
        option.position = QStyleOptionHeader::OnlyOneSection;
        QPainter painter(corner);
        corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmEEpromEdit::FormCreate()
{
    source = nullptr;
    working.reset();
    dataSize = Bytes8;
    base = BaseDec;
    SetRadioIndex(false, Bytes8);
    SetRadioIndex(true, BaseDec);
}

void TfrmEEpromEdit::SetSource(EEPROM* image, int length)
{
    source = image;
    calibrationLength = length;
}

void TfrmEEpromEdit::SetHeaderFile(const QString& name)
{
    headerFileName = name;
}

void TfrmEEpromEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmEEpromEdit::FormShow()
{
    ui->memoEE->clear();
    if (!source) {
        ui->sg_eeprom->setRowCount(0);
        ui->memoEE->appendPlainText(QStringLiteral("No EEPROM data source specified."));
        return;
    }
    size = source->GetSize();
    working = std::make_unique<EEPROM>(size);
    CopyFromSource();
    BuildGrid();
    for (int row = 1; row < RowCount(); ++row) {
        SetCell(1, row, QString());
        SetCell(2, row, QString());
    }
    LoadHeaderNames(headerFileName);
    ShowData();
    FitDataColumns();
}

void TfrmEEpromEdit::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TfrmEEpromEdit::FormClose()
{
    working.reset();
}

// ---- grid ----

int TfrmEEpromEdit::RowCount() const
{
    return ui->sg_eeprom->rowCount() + fixedRows;
}

int TfrmEEpromEdit::ColCount() const
{
    return ui->sg_eeprom->columnCount() + fixedCols;
}

QString TfrmEEpromEdit::Cell(int col, int row) const
{
    QTableWidget* grid = ui->sg_eeprom;
    if (col == 0 && row == 0)
        return QStringLiteral("Addr");
    const QTableWidgetItem* item = row == 0 ? grid->horizontalHeaderItem(col - 1)
                                   : col == 0 ? grid->verticalHeaderItem(row - 1)
                                              : grid->item(row - 1, col - 1);
    return item ? item->text() : QString();
}

void TfrmEEpromEdit::SetCell(int col, int row, const QString& text)
{
    QTableWidget* grid = ui->sg_eeprom;
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount() || (col == 0 && row == 0))
        return;
    if (row == 0) {
        grid->setHorizontalHeaderItem(col - 1, new QTableWidgetItem(text));
    } else if (col == 0) {
        grid->setVerticalHeaderItem(row - 1, new QTableWidgetItem(text));
    } else if (QTableWidgetItem* item = grid->item(row - 1, col - 1)) {
        item->setText(text);
    } else {
        grid->setItem(row - 1, col - 1, new QTableWidgetItem(text));
    }
}

int TfrmEEpromEdit::Row() const
{
    return ui->sg_eeprom->currentRow() + fixedRows;
}

int TfrmEEpromEdit::Col() const
{
    return ui->sg_eeprom->currentColumn() + fixedCols;
}

void TfrmEEpromEdit::SetCurrentCell(int col, int row)
{
    ui->sg_eeprom->setCurrentCell(row - fixedRows, col - fixedCols);
}

void TfrmEEpromEdit::BuildGrid()
{
    QTableWidget* grid = ui->sg_eeprom;
    fixedRows = 1;
    dataRows = size / 2;
    fixedCols = 1;
    dataCols = dataSize == Bytes8 ? 4 : 3;
    grid->setRowCount(dataRows);
    grid->setColumnCount(dataCols);

    const int dataWidth = dataSize == Bytes8 ? ByteWidth : WordWidth;
    int others = 2 * NameWidth + dataWidth * (dataSize == Bytes8 ? 2 : 1);
    grid->setColumnWidth(0, NameWidth);
    grid->setColumnWidth(1, NameWidth);
    grid->setColumnWidth(2, dataWidth);
    if (dataSize == Bytes8)
        grid->setColumnWidth(3, dataWidth);
    grid->verticalHeader()->setFixedWidth(DesignWidth - others - AddrMargin);

    SetCell(1, 0, QStringLiteral("Variable (Hi)"));
    SetCell(2, 0, QStringLiteral("Variable (Lo)"));
    SetCell(3, 0, dataSize == Bytes8 ? QStringLiteral("Data (Hi)") : QStringLiteral("Data (16-bit)"));
    if (dataSize == Bytes8)
        SetCell(4, 0, QStringLiteral("Data (Lo)"));
    for (int row = 1; row <= dataRows; ++row) {
        const int address = 2 * (row - 1);
        SetCell(0, row, base == BaseHex ? QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper()
                                        : QString::number(address));
        for (int col = 1; col < ColCount(); ++col)
            if (!ui->sg_eeprom->item(row - 1, col - 1))
                SetCell(col, row, QString());
    }
}

void TfrmEEpromEdit::FitDataColumns()
{
    // The design widths suit the original font; a data column whose values or heading need
    // more room on this desktop is widened, so no value is cut short (16 binary digits).
    QTableWidget* grid = ui->sg_eeprom;
    const QAbstractItemView* view = grid;
    for (int c = 2; c < grid->columnCount(); ++c)
        grid->setColumnWidth(c, std::max({grid->columnWidth(c), view->sizeHintForColumn(c),
                                          grid->horizontalHeader()->sectionSizeHint(c)}));
    // Room for the whole row beside the vertical scroll bar.
    int width = grid->verticalHeader()->width() + 2 * grid->frameWidth() +
                grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid);
    for (int c = 0; c < grid->columnCount(); ++c)
        width += grid->columnWidth(c);
    grid->setMinimumWidth(std::max(DesignWidth, width));
}

QString TfrmEEpromEdit::IntToBin(int value, int width)
{
    QString text(width, QLatin1Char('0'));
    for (int i = 0; i < width; ++i)
        if (value & (1 << (width - 1 - i)))
            text[i] = QLatin1Char('1');
    return text;
}

int TfrmEEpromEdit::BinToInt(const QString& text, int width)
{
    int value = 0;
    for (int i = 0; i < width && i < text.size(); ++i)
        value = (value << 1) | (text[i] == QLatin1Char('1') ? 1 : 0);
    return value;
}

QString TfrmEEpromEdit::ValueText(int value) const
{
    const bool words = dataSize == Words16;
    switch (base) {
    case BaseBin: return IntToBin(value, words ? 16 : 8);
    case BaseHex: return QStringLiteral("%1").arg(value, words ? 4 : 2, 16, QLatin1Char('0')).toUpper();
    default: return QString::number(value);
    }
}

int TfrmEEpromEdit::CellValue(const QString& text) const
{
    switch (base) {
    case BaseBin: return BinToInt(text, dataSize == Words16 ? 16 : 8);
    case BaseHex: return platform::StrToInt(QStringLiteral("x") + text);
    default: return platform::StrToIntDef(text, 0);
    }
}

void TfrmEEpromEdit::ShowData()
{
    if (!working)
        return;
    for (int row = 1; row <= dataRows; ++row) {
        const int address = 2 * (row - 1);
        if (dataSize == Words16) {
            SetCell(3, row, ValueText(working->GetWord(address)));
        } else {
            SetCell(3, row, ValueText(working->GetByte(address)));
            SetCell(4, row, address + 1 < size ? ValueText(working->GetByte(address + 1)) : QString());
        }
    }
}

void TfrmEEpromEdit::ReadGrid()
{
    if (!working)
        return;
    if (dataSize == Words16) {
        for (int address = 0; address < size; address += 2)
            working->SetWord(address, CellValue(Cell(3, address / 2 + 1)));
    } else {
        for (int address = 0; address < size; ++address)
            working->SetByte(address, CellValue(Cell(3 + (address & 1), address / 2 + 1)));
    }
}

bool TfrmEEpromEdit::Commit()
{
    try {
        ReadGrid();
    } catch (const platform::EConvertError& e) {
        platform::ShowException(e);
        return false;
    }
    return true;
}

void TfrmEEpromEdit::CopyFromSource()
{
    if (!source || !working)
        return;
    for (int i = 0; i < source->GetSize(); ++i)
        working->SetByte(i, source->GetByte(i));
}

void TfrmEEpromEdit::CopyToSource()
{
    if (!source || !working)
        return;
    for (int i = 0; i < source->GetSize(); ++i)
        source->SetByte(i, working->GetByte(i));
}

// ---- header file ----

bool TfrmEEpromEdit::ParseDefineLine(const QByteArray& line, QByteArray& name, QByteArray& address)
{
    QList<QByteArray> tokens;
    QByteArray token;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!token.isEmpty())
                tokens.append(token);
            token.clear();
        } else {
            token.append(c);
        }
    }
    if (!token.isEmpty())
        tokens.append(token);
    if (tokens.size() < 3 || tokens[0] != Define)
        return false;
    name = tokens[1].left(NameChars);
    address = tokens[2];
    return address.size() <= AddressChars;
}

void TfrmEEpromEdit::SetVariableName(const QString& name, int address)
{
    if (address < 0 || address >= size)
        return;
    SetCell(1 + (address & 1), address / 2 + 1, name);
}

void TfrmEEpromEdit::LoadHeaderNames(const QString& fileName)
{
    // Only a regular file: a pipe of that name would block the window.
    if (!platform::IsRegularFile(fileName))
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    bool reported = false;
    char buffer[LineChars + 1];
    qint64 n;
    while ((n = file.readLine(buffer, sizeof buffer)) > 0) {
        QByteArray name, addressText;
        if (!ParseDefineLine(QByteArray(buffer, int(n)), name, addressText))
            continue;
        try {
            SetVariableName(QString::fromLatin1(name), platform::StrToInt(QString::fromLatin1(addressText)));
        } catch (const platform::EConvertError& e) {
            // The first bad address is reported; its line is skipped and the rest still load.
            if (!reported)
                platform::ShowException(e);
            reported = true;
        }
    }
    file.close();
}

// ---- radio operations ----

void TfrmEEpromEdit::StartLine(const QString& text)
{
    memoLine = text;
    ui->memoEE->setPlainText(memoLine);
    if (isVisible())
        ui->memoEE->repaint(); // the exchange that follows blocks this thread
}

void TfrmEEpromEdit::EndLine(const QString& text)
{
    memoLine += text;
    ui->memoEE->setPlainText(memoLine);
}

bool TfrmEEpromEdit::StartAtSelection(const char* text, const char* caption, const QString& line, int& address)
{
    if (!working || !Commit())
        return false;
    const int row = Row(), col = Col();
    if (row < 1 || col < 3) {
        platform::MessageBox(QString::fromLatin1(text), QString::fromLatin1(caption), platform::MB_OK);
        return false;
    }
    address = dataSize == Words16 ? 2 * (row - 1) : 2 * (row - 1) + (col - 3);
    StartLine(line);
    return true;
}

void TfrmEEpromEdit::btnReadAddrClick()
{
    int address = 0;
    if (!StartAtSelection("Please select data location to read", "Read EEPROM", QStringLiteral("Reading EEPROM ..."),
                          address))
        return;
    int value = 0;
    const bool words = dataSize == Words16;
    if ((words ? radio->ReadWord(address, &value) : radio->ReadByte(address, &value)) == 0) {
        if (words)
            working->SetWord(address, value);
        else
            working->SetByte(address, value);
        EndLine(QStringLiteral(" OK"));
    } else {
        EndLine(QStringLiteral(" Fail"));
    }
    ShowData();
}

void TfrmEEpromEdit::btnWriteAddrClick()
{
    int address = 0;
    if (!StartAtSelection("Please select data location to write", "Write EEPROM", QStringLiteral("Writing EEPROM ..."),
                          address))
        return;
    const bool words = dataSize == Words16;
    const int failed = words ? radio->WriteWord(address, working->GetWord(address))
                             : radio->WriteByte(address, working->GetByte(address));
    EndLine(failed ? QStringLiteral(" Fail") : QStringLiteral(" OK"));
}

TTransferProgress* TfrmEEpromEdit::Progress() const
{
    return progress ? progress : frmProgress;
}

void TfrmEEpromEdit::btnReadAllClick()
{
    if (!working || !source)
        return;
    StartLine(QStringLiteral("Reading EEPROM..."));
    // Any block missed, or the reset, fails the read; a failed read changes nothing.
    const TTransferResult read = TImageTransfer(radio, Progress()).ReadImage(*source, true);
    if (read.Ok()) {
        CopyFromSource();
        ShowData();
        EndLine(QStringLiteral("OK"));
    } else {
        EndLine(QStringLiteral("Fail"));
    }
}

void TfrmEEpromEdit::btnWriteAllClick()
{
    if (!working || !source)
        return;
    ui->memoEE->clear();
    if (!Commit())
        return;
    CopyToSource();
    StartLine(QStringLiteral("Writing EEPROM..."));
    const TTransferResult written = TImageTransfer(radio, Progress()).WriteImage(*source, 1);
    EndLine(written.Ok() ? QStringLiteral("OK") : QStringLiteral("Fail"));
}

void TfrmEEpromEdit::btnEraseClick()
{
    if (!working)
        return;
    working->Fill(0xFF);
    ShowData();
}

void TfrmEEpromEdit::btnResetClick()
{
    StartLine(QStringLiteral("RESET radio..."));
    EndLine(radio->ResetRadio() == 0 ? QStringLiteral(" OK") : QStringLiteral(" Fail"));
}

void TfrmEEpromEdit::btnProgrModeClick()
{
    radio->EnterProgMode();
}

void TfrmEEpromEdit::btnOKClick()
{
    // A rejected cell leaves the source as it was; the window closes all the same.
    if (Commit())
        CopyToSource();
    accept();
}

// ---- base and data size ----

int TfrmEEpromEdit::RadioIndex(bool forBase) const
{
    const QRadioButton* const bases[] = {ui->rgBase0, ui->rgBase1, ui->rgBase2};
    const QRadioButton* const sizes[] = {ui->rgDataSize0, ui->rgDataSize1};
    const int n = forBase ? 3 : 2;
    for (int i = 0; i < n; ++i)
        if ((forBase ? bases[i] : sizes[i])->isChecked())
            return i;
    return -1;
}

void TfrmEEpromEdit::SetRadioIndex(bool forBase, int index)
{
    QRadioButton* const bases[] = {ui->rgBase0, ui->rgBase1, ui->rgBase2};
    QRadioButton* const sizes[] = {ui->rgDataSize0, ui->rgDataSize1};
    if (forBase)
        bases[index]->setChecked(true);
    else
        sizes[index]->setChecked(true);
}

void TfrmEEpromEdit::rgBaseClick()
{
    TakeLayout(true);
}

void TfrmEEpromEdit::rgDataSizeClick()
{
    TakeLayout(false);
}

void TfrmEEpromEdit::TakeLayout(bool forBase)
{
    const int row = Row(), col = Col();
    if (!Commit())
        return; // the group shows the new choice; the grid keeps the old one
    (forBase ? base : dataSize) = static_cast<unsigned char>(RadioIndex(forBase));
    if (!working)
        return;
    BuildGrid();
    ShowData();
    FitDataColumns();
    SetCurrentCell(std::min(col, ColCount() - 1), row);
}
