#include "chandata.h"
#include "ui_chandata.h"

#include "chanedit_p.h"
#include "chanlist.h"
#include "sel_ch.h"

#include <platform/msgbox.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

TfrmChannelData* frmChannelData = nullptr;

namespace {
constexpr int SpareCount = kr72map::SpareLast - kr72map::SpareFirst + 1;
const char* const Headings[] = {"Number", "RX Frequency", "OS Mem", "GS Mem", "Q Mem"};
constexpr int Widths[] = {80, 130, 90, 90, 90};
constexpr int ColumnCount = 5;

const char* YesNo(bool on) { return on ? "Yes" : "No"; }
} // namespace

TfrmChannelData::TfrmChannelData(QWidget* parent, TfrmChannelSelect* select, TfrmEditChannel2* edit)
    : TEditorForm(parent), ui(new Ui::TfrmChannelData), select_(select), edit_(edit)
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    listChannel = ui->listChannel;
    btnNewChannel = ui->btnNewChannel;
    btnEditChannel = ui->btnEditChannel;
    btnDeleteChannel = ui->btnDeleteChannel;
    HelpText = ui->HelpText;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;

    listChannel->setSelectionBehavior(QAbstractItemView::SelectRows);
    listChannel->setSelectionMode(QAbstractItemView::SingleSelection);
    listChannel->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listChannel->setTabKeyNavigation(false); // Tab goes on to the buttons
    listChannel->verticalHeader()->setVisible(false);
    listChannel->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SetupChannelGrid();

    connect(btnNewChannel, &QPushButton::clicked, this, &TfrmChannelData::btnNewChannelClick);
    connect(btnEditChannel, &QPushButton::clicked, this, &TfrmChannelData::btnEditChannelClick);
    connect(btnDeleteChannel, &QPushButton::clicked, this, &TfrmChannelData::btnDeleteChannelClick);
    connect(listChannel, &QTableWidget::cellDoubleClicked, this, &TfrmChannelData::btnEditChannelClick);
    // A click, or a move by keyboard, picks the row.
    connect(listChannel, &QTableWidget::currentCellChanged, this, [this] {
        if (!filling_)
            listChannelClick();
    });
    connect(listChannel, &QTableWidget::cellClicked, this, &TfrmChannelData::listChannelClick);
    BindOkCancel(OKBtn, CancelBtn);

    THelpPane* help = SetHelpPane(HelpText, OKBtn, CancelBtn);
    help->Bind(listChannel, "List of enabled channels in the radio.");
    help->Bind(btnNewChannel, "Add a new channel to the radio.");
    help->Bind(btnEditChannel, "Edit a channel in the radio.");
    help->Bind(btnDeleteChannel, "Delete a channel from the radio.");
    help->BindSilent(ui->pnlHeading);
    help->BindSilent(ui->pnlBottom);
}

TfrmChannelData::~TfrmChannelData()
{
    if (frmChannelData == this)
        frmChannelData = nullptr;
    delete ui;
}

void TfrmChannelData::LoadControls()
{
    SetupChannelGrid();
    FillChannelGrid();
}

void TfrmChannelData::SetupChannelGrid()
{
    listChannel->setColumnCount(ColumnCount);
    listChannel->setRowCount(1);
    for (int c = 0; c < ColumnCount; ++c) {
        listChannel->setHorizontalHeaderItem(c, new QTableWidgetItem(Headings[c]));
        listChannel->setColumnWidth(c, Widths[c]);
    }
}

void TfrmChannelData::FillChannelGrid()
{
    filling_ = true;
    // One empty row; the current row goes back to it, as the shrunk grid leaves it.
    listChannel->setRowCount(1);
    for (int c = 0; c < ColumnCount; ++c)
        listChannel->setItem(0, c, new QTableWidgetItem);
    listChannel->setCurrentCell(0, 0);

    int r = 0;
    const TRadioImage& img = image();
    for (int i = 0; i < SpareCount; ++i) {
        const std::int32_t w = img.Get(kr72map::SpareFreqBase + i);
        if (w == 0)
            continue;
        if (r >= listChannel->rowCount())
            listChannel->setRowCount(r + 1);
        const int index = i + kr72map::CbChannelCount;
        const QString cells[ColumnCount] = {
            QString::number(i + kr72map::SpareFirst),
            kr72chan::FrequencyText(w) + "Mhz",
            YesNo(kr72chan::GetChannelBit(img, index, kr72map::OpenScanBase)),
            YesNo(kr72chan::GetChannelBit(img, index, kr72map::GroupScanBase)),
            YesNo(kr72chan::GetChannelBit(img, index, kr72map::QuietBase)),
        };
        for (int c = 0; c < ColumnCount; ++c)
            listChannel->setItem(r, c, new QTableWidgetItem(cells[c]));
        ++r;
    }

    if (SelectedIndex != 0) {
        const QString wanted = QString::number(SelectedIndex + kr72map::SpareFirst);
        for (int row = 0; row < listChannel->rowCount(); ++row) {
            const QTableWidgetItem* cell = listChannel->item(row, 0);
            if (cell && !cell->text().isEmpty() && cell->text() == wanted) {
                listChannel->setCurrentCell(row, 0);
                break;
            }
        }
    }
    filling_ = false;
}

int TfrmChannelData::CurrentNumber() const
{
    const int row = listChannel->currentRow();
    const QTableWidgetItem* cell = row >= 0 ? listChannel->item(row, 0) : nullptr;
    return cell ? cell->text().toInt() : 0;
}

void TfrmChannelData::listChannelClick()
{
    if (const int number = CurrentNumber())
        SelectedIndex = number - kr72map::SpareFirst;
}

void TfrmChannelData::EditChannel(int number)
{
    if (!edit_)
        return;
    SelectedIndex = number - kr72map::SpareFirst;
    edit_->Image = Image;
    edit_->lblChannelNumber->setText("Channel Number : " + QString::number(number));
    edit_->ChannelIndex = SelectedIndex;
    edit_->exec();
}

void TfrmChannelData::btnNewChannelClick()
{
    if (!select_)
        return;
    QComboBox* combo = select_->cmbChannelSelect;
    combo->clear();
    const TRadioImage& img = image();
    for (int n = kr72map::SpareFirst; n <= kr72map::SpareLast; ++n)
        if (!img.SparePresent(n))
            combo->addItem(QString::number(n));
    if (combo->count() == 0) {
        platform::MessageBox("There are no more\nspare channels.", "No Spare Channels.", platform::MB_ICONEXCLAMATION);
        return;
    }
    combo->setCurrentIndex(0);
    if (select_->exec() != QDialog::Accepted)
        return;
    EditChannel(combo->currentText().toInt());
    // A new channel cancelled in the editor keeps word 0 and so gets no row.
    FillChannelGrid();
}

void TfrmChannelData::btnEditChannelClick()
{
    const int number = CurrentNumber();
    if (!number)
        return;
    EditChannel(number);
    FillChannelGrid();
}

void TfrmChannelData::btnDeleteChannelClick()
{
    const int number = CurrentNumber();
    if (!number)
        return;
    const int row = listChannel->currentRow();
    SelectedIndex = number - kr72map::SpareFirst;
    if (platform::MessageBox("Do you really want to\ndelete the channel?", "Delete site?",
                             platform::MB_OKCANCEL | platform::MB_ICONQUESTION)
        != platform::IDOK)
        return;
    // The channel's bits in the four bitmaps stay as they are.
    image().Set(kr72map::SpareFreqBase + SelectedIndex, 0);
    if (row == 0) {
        SelectedIndex = 0;
    } else {
        const QTableWidgetItem* above = listChannel->item(row - 1, 0);
        SelectedIndex = (above ? above->text().toInt() : kr72map::SpareFirst) - kr72map::SpareFirst;
    }
    FillChannelGrid();
}
