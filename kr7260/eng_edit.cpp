#include "eng_edit.h"
#include "ui_eng_edit.h"

#include "radio_rw.h"
#include "ser_com.h"

#include <platform/misc.h>
#include <platform/msgbox.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <cmath>

TfrmEngineering* frmEngineering = nullptr;

namespace {
using namespace kr72map;
constexpr int WordReplyWaitMs = 500;
constexpr int MaxWordValue = 0xFFFF;
// Word 6 bits 0 and 1: the channel switch type.
constexpr std::uint16_t SwitchMask = 0x0003;
constexpr int SwitchAlps = 0, SwitchKr71 = 1, SwitchTocos = 2;
// CTCSS detector words.
constexpr int WordFilterInit = 22, WordCorrelator = 23, WordOnThreshold = 24, WordOffThreshold = 25, WordQFr = 26;

QString Hex4(std::int32_t v) { return QString::number(std::uint32_t(v), 16).toUpper().rightJustified(4, '0'); }

void InvalidValue(const QString& what, int lo, int hi)
{
    platform::MessageBox(QString("%1 must be a whole number\nfrom %2 to %3.").arg(what).arg(lo).arg(hi),
                         "Invalid Value", platform::MB_ICONEXCLAMATION);
}
} // namespace

int CtcssWordToPercent(std::int32_t word, int correlator)
{
    return int(std::trunc(double(word) * 100.0 / (double(correlator) * 8.0) + 0.5));
}

std::int32_t CtcssPercentToWord(int percent, int correlator)
{
    return std::int32_t(std::trunc(double(correlator) * 8.0 * double(percent) * 0.01 + 0.5));
}

TfrmEngineering::TfrmEngineering(QWidget* parent) : TEditorForm(parent), ui(new Ui::TfrmEngineering)
{
    ui->setupUi(this);
    pageEngineering = ui->pageEngineering;
    tabOptions = ui->tabOptions;
    tabEeprom = ui->tabEeprom;
    rbAlps = ui->rbAlps;
    rbTocos = ui->rbTocos;
    rbKr71 = ui->rbKr71;
    chkChannelSw = ui->chkChannelSw;
    chkAudioIcPdEnable = ui->chkAudioIcPdEnable;
    chkFreqStep = ui->chkFreqStep;
    chkHiDcEnable = ui->chkHiDcEnable;
    chkTxLockEnable = ui->chkTxLockEnable;
    cmbScanSpeed = ui->cmbScanSpeed;
    chkScanSpeedChange = ui->chkScanSpeedChange;
    chkCtcssOnEmergency = ui->chkCtcssOnEmergency;
    hsbPowerDownDelay = ui->hsbPowerDownDelay;
    hsbTxDelay = ui->hsbTxDelay;
    lblPowerDownDelayValue = ui->lblPowerDownDelayValue;
    lblTxDelayValue = ui->lblTxDelayValue;
    txtFilter = ui->txtFilter;
    txtInit = ui->txtInit;
    txtCorr = ui->txtCorr;
    txtOn = ui->txtOn;
    txtOff = ui->txtOff;
    txtQ = ui->txtQ;
    txtFr = ui->txtFr;
    eeprom_list = ui->eeprom_list;
    txtLocation = ui->txtLocation;
    txtDataHex = ui->txtDataHex;
    txtData = ui->txtData;
    btnReadLocation = ui->btnReadLocation;
    btnWriteLocation = ui->btnWriteLocation;
    btnWriteHex = ui->btnWriteHex;
    OKBtn = ui->OKBtn;
    CancelBtn = ui->CancelBtn;

    BindChoice(rbAlps, WordOptions6, SwitchMask, SwitchAlps);
    BindChoice(rbKr71, WordOptions6, SwitchMask, SwitchKr71);
    BindChoice(rbTocos, WordOptions6, SwitchMask, SwitchTocos);
    BindBit(chkChannelSw, WordOptions6, 0x0008);
    BindBit(chkAudioIcPdEnable, WordOptions6, 0x0004);
    BindBit(chkFreqStep, WordOptions6, 0x0010);
    BindBit(chkHiDcEnable, WordOptions3, 0x0010);
    BindBit(chkTxLockEnable, WordOptions3, 0x0080);
    BindBit(chkScanSpeedChange, WordOptions5, 0x0040);
    BindBit(chkCtcssOnEmergency, WordOptions4, 0x0002);
    BindValue(hsbPowerDownDelay, WordDuplexPowerDown, 0xFF00);
    BindValue(hsbTxDelay, WordTxDelaySquelchPot, 0x00FF);
    BindOkCancel(OKBtn, CancelBtn);

    connect(hsbPowerDownDelay, &QScrollBar::valueChanged, this, &TfrmEngineering::hsbPowerDownDelayChange);
    connect(hsbTxDelay, &QScrollBar::valueChanged, this, &TfrmEngineering::hsbPowerDownDelayChange);

    eeprom_list->setHorizontalHeaderLabels({"Location", "Hex value", "Dec value"});
    eeprom_list->verticalHeader()->setDefaultSectionSize(eeprom_list->fontMetrics().height() + 6);
    for (int c = 0; c < 3; ++c)
        eeprom_list->setColumnWidth(c, 90);
    eeprom_list->setMinimumWidth(3 * 90 + eeprom_list->verticalScrollBar()->sizeHint().width() + 4);
    connect(eeprom_list, &QTableWidget::currentCellChanged, this, &TfrmEngineering::eeprom_listClick);
    connect(eeprom_list, &QTableWidget::cellClicked, this, &TfrmEngineering::eeprom_listClick); // also the same row
    connect(btnReadLocation, &QPushButton::clicked, this, &TfrmEngineering::btnReadLocationClick);
    connect(btnWriteLocation, &QPushButton::clicked, this, [this] { btnWriteLocationClick(btnWriteLocation); });
    connect(btnWriteHex, &QPushButton::clicked, this, [this] { btnWriteLocationClick(btnWriteHex); });
    txtData->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,5}"), txtData));
    txtDataHex->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9A-Fa-f]{0,4}"), txtDataHex));
    txtData->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(WordReplyWaitMs);
    connect(Timer1, &QTimer::timeout, this, &TfrmEngineering::Timer1Timer);

    THelpPane* help = SetHelpPane(ui->HelpText, OKBtn, CancelBtn);
    help->Bind(ui->lblScanSpeed, "Sets the speed of the scan mode in time per channel.");
    help->Bind(cmbScanSpeed, "Sets the speed of the scan mode in time per channel.");
    help->Bind(chkScanSpeedChange,
               "Allow user to change scan speed by pressing and holding the scan button during scan");
    for (QWidget* w : std::initializer_list<QWidget*>{
             rbAlps, rbTocos, rbKr71, chkChannelSw, chkAudioIcPdEnable, chkFreqStep, chkHiDcEnable, chkTxLockEnable,
             chkCtcssOnEmergency, hsbPowerDownDelay, hsbTxDelay, txtFilter, txtInit, txtCorr, txtOn, txtOff, txtQ,
             txtFr, eeprom_list, txtLocation, txtDataHex, txtData, btnReadLocation, btnWriteLocation, btnWriteHex})
        help->Bind(w, QString());
    for (QWidget* w : std::initializer_list<QWidget*>{pageEngineering, tabOptions, tabEeprom})
        help->BindSilent(w);

    FormCreate();
}

TfrmEngineering::~TfrmEngineering()
{
    if (frmEngineering == this)
        frmEngineering = nullptr;
    delete ui;
}

void TfrmEngineering::FormCreate() { pageEngineering->setCurrentWidget(tabOptions); }

void TfrmEngineering::LoadControls()
{
    if (TfrmSerial* l = link())
        l->WaitingForWord = 0;
    // Bit 0x0001 chooses the KR7100 switch whatever bit 0x0002 holds.
    if (OptionBit(WordOptions6, 0x0001))
        rbKr71->setChecked(true);
    cmbScanSpeed->setCurrentIndex(OptionBit(WordOptions3, 0x0020) ? 0 : 1);
    hsbPowerDownDelayChange();

    const TRadioImage& img = image();
    const std::int32_t w22 = img.Get(WordFilterInit), w26 = img.Get(WordQFr);
    txtFilter->setText(QString::number(w22 & 0xFF));
    txtInit->setText(QString::number((w22 >> 8) & 0xFF));
    txtQ->setText(QString::number(w26 & 0xFF));
    txtFr->setText(QString::number((w26 >> 8) & 0xFF));
    // The whole correlator word, so OK stores back what it read.
    const int corr = img.Get(WordCorrelator) & 0xFFFF;
    txtCorr->setText(QString::number(corr));
    txtOn->setText(corr ? QString::number(CtcssWordToPercent(img.Get(WordOnThreshold), corr)) : QString());
    txtOff->setText(corr ? QString::number(CtcssWordToPercent(img.Get(WordOffThreshold), corr)) : QString());
    shownCorr_ = txtCorr->text();
    shownOn_ = txtOn->text();
    shownOff_ = txtOff->text();

    FillEepromGrid();
    if (eeprom_list->currentRow() < 0)
        eeprom_list->setCurrentCell(0, 0);
    eeprom_listClick();
    EnableLocationEdits(true);
}

bool TfrmEngineering::ReadEntries(Entries& e, bool report) const
{
    struct Entry {
        QLineEdit* edit;
        const char* what;
        int lo, hi;
        int* out;
    };
    const Entry bytes[] = {
        {txtFilter, "Filter threshold", 0, 255, &e.filter}, {txtInit, "Initial number of cycles", 0, 255, &e.init},
        {txtCorr, "Correlator", 1, MaxWordValue, &e.corr},  {txtQ, "Q", 0, 255, &e.q},
        {txtFr, "Fr", 0, 255, &e.fr},
    };
    auto read = [&](QLineEdit* edit, const char* what, int lo, int hi, int& out) {
        bool ok = false;
        const int v = edit->text().trimmed().toInt(&ok, 10);
        if (ok && v >= lo && v <= hi) {
            out = v;
            return true;
        }
        if (report) {
            InvalidValue(what, lo, hi);
            edit->setFocus();
        }
        return false;
    };
    for (const Entry& x : bytes)
        if (!read(x.edit, x.what, x.lo, x.hi, *x.out))
            return false;
    // The largest percentage whose word still fits in 16 bits.
    int maxPercent = int(std::ceil(65535.5 * 100.0 / (double(e.corr) * 8.0))) - 1;
    while (CtcssPercentToWord(maxPercent, e.corr) > MaxWordValue)
        --maxPercent;
    return read(txtOn, "On threshold %", 0, maxPercent, e.on) && read(txtOff, "Off threshold %", 0, maxPercent, e.off);
}

bool TfrmEngineering::CheckControls()
{
    Entries e{};
    return ReadEntries(e, true);
}

void TfrmEngineering::StoreControls()
{
    Entries e{};
    if (!ReadEntries(e, false))
        return;
    SetOptionBit(WordOptions3, 0x0020, cmbScanSpeed->currentIndex() == 0);
    TRadioImage& img = image();
    img.Set(WordFilterInit, (e.init << 8) | e.filter);
    img.Set(WordCorrelator, e.corr);
    // An untouched threshold keeps its word: the percentage is coarser than the word.
    const bool corrSame = txtCorr->text() == shownCorr_;
    if (!corrSame || txtOn->text() != shownOn_)
        img.Set(WordOnThreshold, CtcssPercentToWord(e.on, e.corr));
    if (!corrSame || txtOff->text() != shownOff_)
        img.Set(WordOffThreshold, CtcssPercentToWord(e.off, e.corr));
    img.Set(WordQFr, (e.fr << 8) | e.q);
}

void TfrmEngineering::hsbPowerDownDelayChange()
{
    lblPowerDownDelayValue->setText(QString::number(hsbPowerDownDelay->value() * 0.1, 'f', 1) + " Seconds");
    lblTxDelayValue->setText(QString::number(hsbTxDelay->value() * 10) + " mSec");
}

void TfrmEngineering::ShowRow(int word, std::int32_t value)
{
    const QString cells[3] = {QString::number(word), Hex4(value), QString::number(value)};
    for (int c = 0; c < 3; ++c) {
        QTableWidgetItem* it = eeprom_list->item(word, c);
        if (!it) {
            it = new QTableWidgetItem;
            eeprom_list->setItem(word, c, it);
        }
        it->setText(cells[c]);
    }
}

void TfrmEngineering::FillEepromGrid()
{
    for (int k = 0; k < WordCount; ++k)
        ShowRow(k, ImageBackup[k]);
}

void TfrmEngineering::eeprom_listClick()
{
    const int row = eeprom_list->currentRow();
    if (row < 0 || row >= WordCount)
        return;
    QLineEdit* edits[3] = {txtLocation, txtDataHex, txtData};
    for (int c = 0; c < 3; ++c) {
        const QTableWidgetItem* it = eeprom_list->item(row, c);
        edits[c]->setText(it ? it->text() : QString());
    }
}

void TfrmEngineering::SendWordRequest(bool write)
{
    TfrmSerial* l = link();
    TfrmReadWrite* t = transfers();
    // Waiting from before the request, so a fast reply is taken.
    l->WaitingForWord = 1;
    l->ResetReceiveRing();
    t->SendEnterProgramMode();
    l->ResetReceiveRing();
    if (write)
        t->SendWriteWord(l->WordAddress.load(), l->WordValue.load());
    else
        t->SendReadWord(l->WordAddress.load());
    EnableLocationEdits(false);
    Timer1->start();
}

void TfrmEngineering::btnReadLocationClick()
{
    TfrmSerial* l = link();
    bool ok = false;
    const int address = txtLocation->text().toInt(&ok);
    if (!ok || !l || !transfers())
        return;
    l->WordAddress = address;
    l->WordValue = 0;
    txtData->clear();
    SendWordRequest(false);
}

void TfrmEngineering::btnWriteLocationClick(QObject* sender)
{
    TfrmSerial* l = link();
    bool ok = false;
    const int address = txtLocation->text().toInt(&ok);
    if (!ok || !l || !transfers())
        return;
    int value = 0;
    if (sender == btnWriteHex) {
        if (txtDataHex->text().isEmpty())
            return;
        value = int(txtDataHex->text().toUInt(&ok, 16));
        if (!ok || value > MaxWordValue) {
            platform::MessageBox("Hex data must be\nbetween 0000 - FFFF.", "Invalid data!",
                                 platform::MB_ICONEXCLAMATION);
            return;
        }
    } else {
        if (txtData->text().isEmpty())
            return;
        value = txtData->text().toInt(&ok, 10);
        if (!ok || value < 0 || value > MaxWordValue) {
            platform::MessageBox("Decimcal data must be\nbetween 0 - 65535.", "Invalid data!",
                                 platform::MB_ICONEXCLAMATION);
            return;
        }
    }
    l->WordValue = value;
    l->WordAddress = address;
    SendWordRequest(true);
}

void TfrmEngineering::Timer1Timer()
{
    Timer1->stop();
    TfrmSerial* l = link();
    if (TfrmReadWrite* t = transfers())
        t->SendExitProgramMode();
    if (!l)
        return;
    if (l->WaitingForWord.load() == 1) {
        platform::MessageBox("Radio did not respond.\nCheck leads and try again.", "No Response...",
                             platform::MB_ICONEXCLAMATION);
    } else {
        const int address = l->WordAddress.load();
        const int value = l->WordValue.load();
        txtData->setText(QString::number(value));
        txtDataHex->setText(Hex4(value));
        txtLocation->setText(QString::number(address));
        image().Set(address, value);
        if (address >= 0 && address < WordCount)
            ShowRow(address, image().Get(address));
    }
    EnableLocationEdits(true);
    l->WaitingForWord = 0;
}

void TfrmEngineering::EnableLocationEdits(bool flag)
{
    for (QWidget* w : std::initializer_list<QWidget*>{txtLocation, txtDataHex, txtData, ui->lblLocation,
                                                      ui->lblDataHex, ui->lblData, btnReadLocation, btnWriteLocation,
                                                      eeprom_list})
        w->setEnabled(flag);
}

void TfrmEngineering::done(int result)
{
    // A request still waiting ends here: program mode is left, and no late reply reaches
    // the image once the window has stored or restored it.
    if (Timer1->isActive()) {
        Timer1->stop();
        if (TfrmReadWrite* t = transfers())
            t->SendExitProgramMode();
        EnableLocationEdits(true);
    }
    if (TfrmSerial* l = link())
        l->WaitingForWord = 0;
    TEditorForm::done(result);
}

bool TfrmEngineering::eventFilter(QObject* watched, QEvent* event)
{
    // txtData takes only digits and backspace.
    if (watched == txtData && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!text.isEmpty() && key->key() != Qt::Key_Backspace && !text.at(0).isDigit() && text.at(0).isPrint()) {
            platform::Beep();
            return true;
        }
    }
    return TEditorForm::eventFilter(watched, event);
}
