#include "rxchdata.h"
#include "ui_rxchdata.h"

#include "array.h"
#include "rxchedit.h"

#include <platform/msgbox.h>

#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

TfrmRxChData* frmRxChData = nullptr;

namespace {

// The three flag arrays: image bytes, offset in FlagBits and the record's flag.
struct FlagArray {
    int address;
    int offset;
    int flag;
};
constexpr FlagArray FlagArrays[3] = {
    {ee::ScanMemory1 + 5, 0, RxScan1},
    {ee::ScanMemory2 + 5, 3, RxScan2},
    {ee::SilentMemory + 5, 6, RxSilent},
};
constexpr int NewChannelHz = 477000000;
constexpr int RowHeight = 18;

} // namespace

TfrmRxChData::TfrmRxChData(QWidget* parent) : TImageEditor(parent), ui(new Ui::TfrmRxChData)
{
    ui->setupUi(this);
    FormCreate();
}

TfrmRxChData::~TfrmRxChData()
{
    delete ui;
}

void TfrmRxChData::FormCreate()
{
    ChannelCount = ee::RxChannelCount;
    Channels.assign(std::size_t(ChannelCount), RX_CH_DATA_STRUCT{});
    NewChannel.frequency = NewChannelHz;
    NewChannel.flags = 0;

    PopUpMenu = new QMenu(this);
    PopUpMenu->setObjectName(QStringLiteral("PopUpMenu"));
    QAction* add = PopUpMenu->addAction(QStringLiteral("Add"));
    add->setObjectName(QStringLiteral("PopUpMenuAdd"));
    QAction* edit = PopUpMenu->addAction(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("PopUpMenuEdit"));
    QAction* del = PopUpMenu->addAction(QStringLiteral("Delete"));
    del->setObjectName(QStringLiteral("PopUpMenuDelete"));
    connect(add, &QAction::triggered, this, &TfrmRxChData::btnAddClick);
    connect(edit, &QAction::triggered, this, &TfrmRxChData::btnEditClick);
    connect(del, &QAction::triggered, this, &TfrmRxChData::btnDeleteClick);

    connect(ui->btnAdd, &QPushButton::clicked, this, &TfrmRxChData::btnAddClick);
    connect(ui->btnEdit, &QPushButton::clicked, this, &TfrmRxChData::btnEditClick);
    connect(ui->btnDelete, &QPushButton::clicked, this, &TfrmRxChData::btnDeleteClick);
    connect(ui->sgRxChEdit, &QTableWidget::cellDoubleClicked, this, [this] { btnEditClick(); });
    ui->sgRxChEdit->viewport()->installEventFilter(this);
    BindOkCancel(ui->btnOK, ui->btnCancel);
}

TfrmRxChEdit* TfrmRxChData::editDialog() const
{
    return EditDialog ? EditDialog : frmRxChEdit;
}

void TfrmRxChData::SetColumns()
{
    Columns[0] = {50, QStringLiteral("CH")};
    Columns[1] = {110, QStringLiteral("Frequency (MHz)")};
    Columns[2] = {50, QStringLiteral("SCAN1")};
    Columns[3] = {50, QStringLiteral("SCAN2")};
    Columns[4] = {50, QStringLiteral("SILENT")};
}

void TfrmRxChData::SetupGrid()
{
    QTableWidget* grid = ui->sgRxChEdit;
    SetColumns();
    grid->setColumnCount(5);
    QStringList captions;
    for (const COL_STRUCT& c : Columns)
        captions << c.caption;
    grid->setHorizontalHeaderLabels(captions);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(RowHeight);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QHeaderView* header = grid->horizontalHeader();
    header->setSectionsMovable(false);
    for (int col = 0; col < 5; ++col) {
        grid->setColumnWidth(col, Columns[col].width);
        header->setSectionResizeMode(col, QHeaderView::Fixed);
    }
    // The frequency column takes the rest of the window.
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setFocusPolicy(Qt::StrongFocus);
    grid->setTabKeyNavigation(false);
    grid->setRowCount(1);
    grid->setCurrentCell(0, 0);
}

void TfrmRxChData::LoadControls()
{
    SetupGrid();
    LoadChannels();
    RefreshGrid();
}

void TfrmRxChData::LoadChannels()
{
    EEPROM& img = image();
    for (const FlagArray& a : FlagArrays)
        for (int k = 0; k < 3; ++k)
            FlagBits[std::size_t(a.offset + k)] = std::uint8_t(img.GetByte(a.address + k));
    for (int i = 0; i < ChannelCount; ++i)
        LoadChannel(i, Channels[std::size_t(i)]);
}

void TfrmRxChData::LoadChannel(int i, RX_CH_DATA_STRUCT& record)
{
    int w = image().GetWord(ee::RxChannels + 2 * i);
    if (w == 0xFFFF || w < 0)
        w = 0;
    record.frequency = w * ee::ChannelStepHz;
    record.flags = 0;
    for (const FlagArray& a : FlagArrays)
        if (TestBit(unsigned(i), FlagBits.data() + a.offset))
            record.flags |= a.flag;
}

void TfrmRxChData::StoreControls()
{
    StoreChannels();
}

void TfrmRxChData::StoreChannels()
{
    // All nine bytes are rebuilt: the four bits past channel 60 in each array become 0.
    FlagBits.fill(0);
    for (int i = 0; i < ChannelCount; ++i)
        StoreChannel(i, Channels[std::size_t(i)]);
    EEPROM& img = image();
    for (const FlagArray& a : FlagArrays)
        for (int k = 0; k < 3; ++k)
            img.SetByte(a.address + k, FlagBits[std::size_t(a.offset + k)]);
}

void TfrmRxChData::StoreChannel(int i, const RX_CH_DATA_STRUCT& record)
{
    image().SetWord(ee::RxChannels + 2 * i, record.frequency / ee::ChannelStepHz);
    for (const FlagArray& a : FlagArrays)
        if (record.flags & a.flag)
            SetBit(unsigned(i), FlagBits.data() + a.offset);
}

int TfrmRxChData::CountChannels() const
{
    int n = 0;
    for (const RX_CH_DATA_STRUCT& c : Channels)
        if (c.frequency != 0)
            ++n;
    return n;
}

QString TfrmRxChData::FormatFrequency(int hz)
{
    return QString::asprintf("%3.4f", hz * 0.000001);
}

void TfrmRxChData::ShowChannelRow(int i, int row)
{
    const RX_CH_DATA_STRUCT& c = Channels[std::size_t(i)];
    const QString cells[5] = {
        QString::number(ee::FirstRxChannel + i), FormatFrequency(c.frequency),
        (c.flags & RxScan1) ? QStringLiteral("Y") : QStringLiteral("N"),
        (c.flags & RxScan2) ? QStringLiteral("Y") : QStringLiteral("N"),
        (c.flags & RxSilent) ? QStringLiteral("Y") : QStringLiteral("N"),
    };
    for (int col = 0; col < 5; ++col)
        ui->sgRxChEdit->setItem(row, col, new QTableWidgetItem(cells[col]));
}

void TfrmRxChData::RefreshGrid()
{
    QTableWidget* grid = ui->sgRxChEdit;
    const int current = grid->currentRow();
    const int n = CountChannels();
    if (n > 0) {
        grid->setRowCount(n);
        int row = 0;
        for (int i = 0; i < ChannelCount; ++i)
            if (Channels[std::size_t(i)].frequency > 0)
                ShowChannelRow(i, row++);
    } else {
        grid->setRowCount(1);
        for (int col = 0; col < 5; ++col)
            grid->setItem(0, col, new QTableWidgetItem(QString()));
    }
    grid->setCurrentCell(std::clamp(current, 0, grid->rowCount() - 1), 0);
}

int TfrmRxChData::SelectedChannel() const
{
    const QTableWidgetItem* item = ui->sgRxChEdit->item(ui->sgRxChEdit->currentRow(), 0);
    bool ok = false;
    const int c = item ? item->text().toInt(&ok) : 0;
    return ok ? c : -1;
}

void TfrmRxChData::ClearChannel(int i)
{
    Channels[std::size_t(i)].frequency = 0;
    Channels[std::size_t(i)].flags = 0;
}

void TfrmRxChData::btnAddClick()
{
    std::vector<int> spare;
    for (int i = 0; i < ChannelCount; ++i)
        if (Channels[std::size_t(i)].frequency == 0)
            spare.push_back(ee::FirstRxChannel + i);
    if (spare.empty()) {
        platform::MessageBox(QStringLiteral("There are no spare channels."), QStringLiteral("Add Channel"),
                             platform::MB_OK);
        return;
    }
    TfrmRxChEdit* dialog = editDialog();
    if (!dialog)
        return;
    dialog->SetEditMode(TfrmRxChEdit::ModeAdd);
    dialog->FillChannelList(spare);
    dialog->SetChannelData(NewChannel, spare.front());
    if (dialog->exec() != QDialog::Accepted)
        return;
    const int c = dialog->GetChannelData(NewChannel);
    if (c < ee::FirstRxChannel || c > ee::LastRxChannel)
        return;
    dialog->GetChannelData(Channels[std::size_t(c - ee::FirstRxChannel)]);
    RefreshGrid();
}

void TfrmRxChData::btnEditClick()
{
    const int c = SelectedChannel();
    if (CountChannels() == 0 || c < ee::FirstRxChannel || c > ee::LastRxChannel)
        return;
    TfrmRxChEdit* dialog = editDialog();
    if (!dialog)
        return;
    RX_CH_DATA_STRUCT& record = Channels[std::size_t(c - ee::FirstRxChannel)];
    dialog->SetEditMode(TfrmRxChEdit::ModeEdit);
    dialog->SetChannelData(record, c);
    if (dialog->exec() != QDialog::Accepted)
        return;
    dialog->GetChannelData(record);
    RefreshGrid();
}

void TfrmRxChData::btnDeleteClick()
{
    const int c = SelectedChannel();
    if (CountChannels() == 0 || c < ee::FirstRxChannel || c > ee::LastRxChannel)
        return;
    if (platform::MessageBox(QStringLiteral("Delete channel %1?").arg(c), QStringLiteral("Delete"),
                             platform::MB_ICONEXCLAMATION | platform::MB_OKCANCEL) == platform::IDCANCEL)
        return;
    ClearChannel(c - ee::FirstRxChannel);
    RefreshGrid();
}

void TfrmRxChData::sgRxChEditMouseDown(const QPoint& globalPos)
{
    PopUpMenu->popup(globalPos);
}

bool TfrmRxChData::eventFilter(QObject* watched, QEvent* event)
{
    // A right press opens the popup and leaves the selection where it was.
    if (watched == ui->sgRxChEdit->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            sgRxChEditMouseDown(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return TImageEditor::eventFilter(watched, event);
}
