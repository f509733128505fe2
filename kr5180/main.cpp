#include "main.h"
#include "ui_main.h"

#include "about.h"
#include "align.h"
#include "commport.h"
#include "ee_edit.h"
#include "eeprom.h"
#include "monitor.h"
#include "progress.h"
#include "radio.h"
#include "rxchdata.h"
#include "serialport.h"
#include "transfer.h"
#include "version.h"

#include <platform/misc.h>
#include <platform/msgbox.h>
#include <platform/registry.h>

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStatusBar>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

TfrmMain* frmMain = nullptr;

const char* const PortNames[9] = {"", "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
const char* const PortRegistryKey = "\\Navar\\kr5480\\Port";
const char* const DefaultMemFile = "defkr5180.mem";

namespace {

const char* const MemFilter = "Mem files (*.mem)|*.mem";
constexpr int PanelWidths[3] = {110, 80, 100};
// The widest text each fixed panel shows; a panel grows past its width when the
// desktop's font needs more room for it.
const char* const PanelSamples[3] = {"COM8: 38400,8,N,1", "Disconnected", "Firmware: v0C.10A"};

TfrmProgress* Progress(QWidget* owner)
{
    if (!frmProgress)
        frmProgress = new TfrmProgress(owner);
    return frmProgress;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      FileOpenDialog(this), FileSaveDialog(this), ui(new Ui::TfrmMain)
{
    ui->setupUi(this);
    ui->Image1->setPixmap(TAboutBox::DrawLogo(260, 76)); // the same logo as the about box
    ConnectHandlers();
    if (!frmMain)
        frmMain = this;
    FormCreate();
    setFixedSize(sizeHint());
    ui->btnReadRadio->setFocus();
}

TfrmMain::~TfrmMain()
{
    FormClose();
    if (frmMain == this)
        frmMain = nullptr;
    delete ui;
}

void TfrmMain::ConnectHandlers()
{
    connect(ui->btnReadRadio, &QPushButton::clicked, this, &TfrmMain::btnReadRadioClick);
    connect(ui->btnWriteRadio, &QPushButton::clicked, this, &TfrmMain::btnWriteRadioClick);
    connect(ui->btnReadFile, &QPushButton::clicked, this, &TfrmMain::btnReadFileClick);
    connect(ui->btnWriteFile, &QPushButton::clicked, this, &TfrmMain::btnWriteFileClick);
    // The File menu's "Read From Radio" does what its button does, like its neighbours.
    connect(ui->mnuReadRadio, &QAction::triggered, this, &TfrmMain::btnReadRadioClick);
    connect(ui->mnuFileWriteRadio, &QAction::triggered, this, &TfrmMain::btnWriteRadioClick);
    connect(ui->mnuReadFile, &QAction::triggered, this, &TfrmMain::btnReadFileClick);
    connect(ui->mnuFileWriteFile, &QAction::triggered, this, &TfrmMain::btnWriteFileClick);
    connect(ui->mnuFileExit, &QAction::triggered, this, &TfrmMain::mnuFileExitClick);

    ConnectEditors();

    connect(ui->mnCommPort, &QAction::triggered, this, &TfrmMain::mnCommPortClick);
    connect(ui->mnAutoDetect, &QAction::triggered, this, &TfrmMain::mnAutoDetectClick);
    connect(ui->mnuCommsCommsMonitor, &QAction::triggered, this, &TfrmMain::mnuCommsCommsMonitorClick);
    connect(ui->About1, &QAction::triggered, this, &TfrmMain::About1Click);
}

void TfrmMain::ApplyBuildVisibility()
{
    for (QWidget* w : {static_cast<QWidget*>(ui->btnEeprom), static_cast<QWidget*>(ui->btnEngineering),
                       static_cast<QWidget*>(ui->btnRemote), static_cast<QWidget*>(ui->btnDevelopment)})
        w->hide();
    for (QAction* a : {ui->mnuEditEeprom, ui->mnuEditEngineering, ui->mnuEditRemote, ui->mnuEditDevelopment,
                       ui->mnuCommsCommsMonitor})
        a->setVisible(false);
    if (EngineeringBuild == 1) {
        ui->btnEeprom->show();
        ui->btnEngineering->show();
        ui->mnuEditEeprom->setVisible(true);
        ui->mnuEditEngineering->setVisible(true);
        ui->mnuCommsCommsMonitor->setVisible(true);
    }
}

namespace {

// The file panel: a long text is elided in the middle so the file's own name stays in
// view; the whole text is the tooltip.
class ElidedPanel : public QLabel {
public:
    using QLabel::QLabel;
    void SetFullText(const QString& text)
    {
        full = text;
        setToolTip(text);
        Elide();
    }
    const QString& FullText() const { return full; }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        Elide();
    }

private:
    void Elide()
    {
        // The indent is on the aligned side only; a pixel to spare for rounding.
        const int room = std::max(0, contentsRect().width() - 2 * margin() - indent() - 1);
        setText(fontMetrics().elidedText(full, Qt::ElideMiddle, room));
    }
    QString full;
};

} // namespace

void TfrmMain::MakeStatusPanels()
{
    QStatusBar* bar = ui->StatusBar;
    for (QLabel* l : panels)
        delete l;
    for (int i = 0; i < 4; ++i) {
        QLabel* label = i < 3 ? new QLabel(bar) : new ElidedPanel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setIndent(3);
        if (i < 3) {
            const int needed = label->fontMetrics().horizontalAdvance(QString::fromLatin1(PanelSamples[i])) +
                               2 * label->frameWidth() + 2 * label->indent() + 4;
            label->setFixedWidth(std::max(PanelWidths[i], needed));
            bar->addWidget(label);
        } else {
            // The rest of the bar: a long file name must not widen the fixed window.
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            label->setMinimumWidth(170);
            bar->addWidget(label, 1);
        }
        panels[i] = label;
    }
}

void TfrmMain::FormCreate()
{
    ApplyBuildVisibility();

    eepromImage = new EEPROM(ee::ImageSize);
    radioCmd = new KR5100(eepromImage);

    portSettings = PortSettings{1, 9600, 8, 0, 1};
    LoadPortSettings();

    try {
        serialPort = new SerialPort();
    } catch (const std::exception&) {
        serialPort = nullptr;
    }
    if (!serialPort) {
        platform::MessageBox(QStringLiteral("Unable to start application"), QStringLiteral("Error"), platform::MB_OK);
        started = false;
        return;
    }
    started = true;

    MakeStatusPanels();
    OpenCommPort();

    DataSource = SourceNone;
    memFileName = QString::fromLatin1(DefaultMemFile);
    LoadMemFile(memFileName);

    UpdateStatusBar();
}

void TfrmMain::FormShow()
{
    setWindowTitle(GetTitleText());
    ui->lbl_Program_Name->setText(QStringLiteral("KR5180") + QStringLiteral(" Programmer"));
    ui->lblVersion->setText(GetVersionText());
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmMain::FormClose()
{
    if (formClosedDone)
        return;
    formClosedDone = true;
    if (started)
        SavePortSettings();
    if (serialPort)
        serialPort->SerialPortClose();
    delete serialPort;
    serialPort = nullptr;
    delete radioCmd;
    radioCmd = nullptr;
    delete eepromImage;
    eepromImage = nullptr;
    emit formClosed();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TfrmMain::mnuFileExitClick()
{
    close();
}

// ---- settings and port ----

void TfrmMain::LoadPortSettings()
{
    platform::TRegistry reg;
    if (!reg.OpenKey(QString::fromLatin1(PortRegistryKey), false))
        return;
    int port = 0, baud = 0;
    const bool ok = reg.ReadInteger(QStringLiteral("ComPort"), port) && reg.ReadInteger(QStringLiteral("BaudRate"), baud);
    reg.CloseKey();
    if (!ok)
        return;
    if (port < 1 || port > 8)
        port = 1;
    portSettings.portNumber = port;
    portSettings.baudRate = baud;
}

void TfrmMain::SavePortSettings()
{
    platform::TRegistry reg;
    if (reg.OpenKey(QString::fromLatin1(PortRegistryKey), true)) {
        reg.WriteInteger(QStringLiteral("ComPort"), portSettings.portNumber);
        reg.WriteInteger(QStringLiteral("BaudRate"), portSettings.baudRate);
    }
    reg.CloseKey();
}

bool TfrmMain::OpenCommPort()
{
    const int n = portSettings.portNumber;
    if (n < 1 || n > 8 || !serialPort)
        return false;
    const bool opened = serialPort->SerialPortOpen(PortNames[n], portSettings.baudRate);
    if (!opened) {
        // Which device, why, and what to do: behind the box's details and on standard error.
        const QString why = QString::fromStdString(platform::PortOpenFailure(PortNames[n]));
        std::fprintf(stderr, "Unable to open %s: %s\n", PortNames[n], qPrintable(QString(why).replace('\n', ' ')));
        platform::MessageBox(QStringLiteral("Unable to open ") + QString::fromLatin1(PortNames[n]),
                             QStringLiteral("Error"), platform::MB_ICONEXCLAMATION, why);
    }
    return opened;
}

int TfrmMain::AutoDetectPort()
{
    if (!serialPort || !radioCmd)
        return 0;
    int found = 0;
    for (int n = 1; n <= 8 && !found; ++n) {
        serialPort->SerialPortClose();
        // The line format is always 8N1; only the baud rate comes from the settings.
        if (!serialPort->SerialPortOpen(PortNames[n], portSettings.baudRate))
            continue;
        platform::Sleep(100);
        if (radioCmd->QueryVersion() == 0)
            found = n;
    }
    if (found) {
        portSettings.portNumber = found;
        return found;
    }
    // No radio: back to the port the user chose, not the last one tried. One that will
    // not open stays closed and the status bar says "Disconnected".
    serialPort->SerialPortClose();
    const int chosen = portSettings.portNumber;
    if (chosen >= 1 && chosen <= 8)
        serialPort->SerialPortOpen(PortNames[chosen], portSettings.baudRate);
    return 0;
}

void TfrmMain::mnCommPortClick()
{
    int result;
    {
        TfrmCommPort dialog(this, &portSettings);
        result = dialog.exec();
    }
    if (result != 1)
        return;
    if (serialPort)
        serialPort->SerialPortClose();
    OpenCommPort();
    UpdateStatusBar();
}

void TfrmMain::mnAutoDetectClick()
{
    const int found = AutoDetectPort();
    if (found)
        platform::MessageBox(QStringLiteral("Radio found on ") + QString::fromLatin1(PortNames[found]) + QStringLiteral("."),
                             QStringLiteral("Auto Detect"), platform::MB_OK);
    else
        platform::MessageBox(QStringLiteral("Radio not found."), QStringLiteral("Auto Detect"),
                             platform::MB_ICONEXCLAMATION);
    UpdateStatusBar();
}

// ---- status bar ----

QString TfrmMain::FormatPortSettings(const PortSettings& s)
{
    const char* name = (s.portNumber >= 0 && s.portNumber <= 8) ? PortNames[s.portNumber] : "";
    QString parity;
    switch (s.parity) {
    case 0: parity = QStringLiteral("N"); break;
    case 1: parity = QStringLiteral("O"); break;
    case 2: parity = QStringLiteral("E"); break;
    default: break;
    }
    return QString::fromLatin1(name) + QStringLiteral(": ") + QString::number(s.baudRate) + QLatin1Char(',') +
           QString::number(s.dataBits) + QLatin1Char(',') + parity + QLatin1Char(',') + QString::number(s.stopBits);
}

void TfrmMain::SetPanel(int panel, const QString& text)
{
    if (!panels[panel])
        return;
    if (panel == 3)
        static_cast<ElidedPanel*>(panels[panel])->SetFullText(text);
    else
        panels[panel]->setText(text);
}

QString TfrmMain::PanelText(int panel) const
{
    if (panel < 0 || panel > 3 || !panels[panel])
        return {};
    if (panel == 3)
        return static_cast<const ElidedPanel*>(panels[panel])->FullText();
    return panels[panel]->text();
}

void TfrmMain::ShowPortStatus()
{
    SetPanel(0, FormatPortSettings(portSettings));
    const bool open = serialPort && serialPort->SerialPortIsOpen();
    SetPanel(1, open ? QStringLiteral("Connected") : QStringLiteral("Disconnected"));
}

void TfrmMain::ShowFirmwareStatus()
{
    std::string firmware;
    if (radioCmd)
        radioCmd->GetFirmwareText(firmware);
    SetPanel(2, QStringLiteral("Firmware: ") + QString::fromStdString(firmware));
}

void TfrmMain::ShowDataSourceStatus()
{
    switch (DataSource) {
    case SourceFile: SetPanel(3, QStringLiteral("File: ") + memFileName); break;
    case SourceRadio: SetPanel(3, QStringLiteral("Current Radio data loaded.")); break;
    default: SetPanel(3, QStringLiteral("No data loaded.")); break;
    }
}

void TfrmMain::UpdateStatusBar()
{
    ShowPortStatus();
    ShowFirmwareStatus();
    ShowDataSourceStatus();
}

// ---- radio transfers ----

void TfrmMain::btnReadRadioClick()
{
    if (platform::MessageBox(QStringLiteral("All current edit data will be lost."), QStringLiteral("Read From Radio?"),
                             platform::MB_ICONEXCLAMATION | platform::MB_OKCANCEL) != platform::IDOK)
        return;

    if (radioCmd->QueryVersion() == 0) {
        UpdateStatusBar();
        if (isVisible())
            repaint();
    }
    // A read that missed a block leaves the image as it was and is not counted.
    const TTransferResult read = TImageTransfer(radioCmd, Progress(this)).ReadImage(*eepromImage, false);
    if (!read.Ok()) {
        platform::MessageBox(QStringLiteral("Radio Response Timeout."), QStringLiteral("Comms Error"),
                             platform::MB_ICONEXCLAMATION);
        return;
    }
    radioCmd->readCount += 1;
    DataSource = SourceRadio;
    UpdateStatusBar();
}

void TfrmMain::btnWriteRadioClick()
{
    const unsigned ask = platform::MB_ICONEXCLAMATION | platform::MB_OKCANCEL;
    if (radioCmd->readCount == 0 &&
        platform::MessageBox(QStringLiteral("Radio has not been read in this session."), QStringLiteral("Warning"), ask) !=
            platform::IDOK)
        return;
    if (platform::MessageBox(QStringLiteral("Overwrite radio configuration?"), QStringLiteral("Warning"), ask) !=
        platform::IDOK)
        return;

    const TTransferResult written = TImageTransfer(radioCmd, Progress(this)).WriteImage(*eepromImage, 0);
    // A block the radio did not take is reported even when the reset is answered.
    if (!written.Ok())
        platform::MessageBox(QStringLiteral("Radio Response Timeout."), QStringLiteral("Comms Error"),
                             platform::MB_ICONEXCLAMATION);
}

// ---- files ----

void TfrmMain::LoadMemFile(const QString& name)
{
    const QByteArray path = QFile::encodeName(name);
    if (eepromImage->LoadFromFile(path.constData()) < 0) {
        platform::MessageBox(QStringLiteral("Unable to open file ") + name, QStringLiteral("File Open Error"),
                             platform::MB_ICONEXCLAMATION);
        return;
    }
    DataSource = SourceFile;
    memFileName = name;
}

void TfrmMain::btnReadFileClick()
{
    FileOpenDialog.Filter = QString::fromLatin1(MemFilter);
    FileOpenDialog.DefaultExt = QString();
    FileOpenDialog.FileName = memFileName;
    if (!FileOpenDialog.Execute())
        return;
    LoadMemFile(FileOpenDialog.FileName);
    UpdateStatusBar();
}

void TfrmMain::btnWriteFileClick()
{
    FileSaveDialog.DefaultExt = QStringLiteral("mem");
    FileSaveDialog.Filter = QString::fromLatin1(MemFilter);
    FileSaveDialog.FileName = QString();
    FileSaveDialog.OverwritePrompt = false; // asked below, in the program's own words
    if (!FileSaveDialog.Execute())
        return;
    const QString name = FileSaveDialog.FileName;
    if (QFileInfo::exists(name) &&
        platform::MessageBox(QStringLiteral("File already exists. Overwrite?"), QStringLiteral("Saving Program File..."),
                             platform::MB_ICONEXCLAMATION | platform::MB_OKCANCEL) != platform::IDOK)
        return;

    const QByteArray path = QFile::encodeName(name);
    if (eepromImage->SaveToFile(path.constData()) < 0) {
        // Nothing was saved: the image stays tied to where it came from.
        platform::MessageBox(QStringLiteral("Unable to save file ") + name, QStringLiteral("File Error"),
                             platform::MB_ICONEXCLAMATION);
        UpdateStatusBar();
        return;
    }
    memFileName = name;
    DataSource = SourceFile;
    UpdateStatusBar();
}

// ---- editors ----

void TfrmMain::ShowModalWindow(QWidget* window)
{
    if (!window)
        return;
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->exec();
    } else {
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
    }
}

namespace {

enum class Opens { Modal, Modeless, Nothing };

// The editor table: which button and Edit menu item open which window, how, and with
// which set-up call first. A window is registered by SetEditor when it is made.
struct EditorRow {
    TfrmMain::Editor which;
    QPushButton* Ui::TfrmMain::*button;
    QAction* Ui::TfrmMain::*item;
    Opens opens;
    bool (TfrmMain::*setup)(QWidget* window); // may be null
};

using E = TfrmMain::Editor;
using U = Ui::TfrmMain;
const EditorRow EditorTable[] = {
    {E::Scan, &U::btnScan, &U::mnuEditScan, Opens::Modal, nullptr},
    {E::Ctcss, &U::btnCTCSS, &U::mnuEditCTCSS, Opens::Modal, nullptr},
    {E::ChannelData, &U::btnChannelData, &U::mnuEditChannelData, Opens::Modal, &TfrmMain::PrepareChannelData},
    {E::Squelch, &U::btnSquelch, &U::mnuEditSquelch, Opens::Modal, nullptr},
    {E::Options, &U::btnOptions, &U::mnuEditOptions, Opens::Modal, nullptr},
    {E::Align, &U::btnAlign, &U::mnuEditAlign, Opens::Modal, &TfrmMain::PrepareAlignment},
    {E::Eeprom, &U::btnEeprom, &U::mnuEditEeprom, Opens::Modal, &TfrmMain::PrepareEeprom},
    {E::Engineering, &U::btnEngineering, &U::mnuEditEngineering, Opens::Modal, nullptr},
    {E::Remote, &U::btnRemote, &U::mnuEditRemote, Opens::Modeless, nullptr},
    // The development window is not reached from the main window.
    {E::Development, &U::btnDevelopment, &U::mnuEditDevelopment, Opens::Nothing, nullptr},
};

const EditorRow* RowOf(TfrmMain::Editor which)
{
    for (const EditorRow& row : EditorTable)
        if (row.which == which)
            return &row;
    return nullptr;
}

} // namespace

void TfrmMain::ConnectEditors()
{
    for (const EditorRow& row : EditorTable) {
        connect(ui->*row.button, &QPushButton::clicked, this, &TfrmMain::EditClick);
        connect(ui->*row.item, &QAction::triggered, this, &TfrmMain::EditClick);
    }
}

void TfrmMain::SetEditor(Editor which, QWidget* window)
{
    if (which != Editor::Count)
        editors_[int(which)] = window;
}

QWidget* TfrmMain::EditorWindow(Editor which) const
{
    return which == Editor::Count ? nullptr : editors_[int(which)];
}

void TfrmMain::EditClick()
{
    QObject* s = sender();
    for (const EditorRow& row : EditorTable)
        if (s == ui->*row.button || s == ui->*row.item) {
            OpenEditor(row.which);
            return;
        }
}

void TfrmMain::OpenEditor(Editor which)
{
    const EditorRow* row = RowOf(which);
    if (!row || row->opens == Opens::Nothing)
        return;
    QWidget* window = EditorWindow(which);
    if (row->setup && !(this->*row->setup)(window))
        return;
    if (!window)
        return;
    if (row->opens == Opens::Modal) {
        ShowModalWindow(window);
    } else {
        window->show();
        window->raise();
    }
}

bool TfrmMain::PrepareAlignment(QWidget* window)
{
    const bool failed = !TImageTransfer(radioCmd, Progress(this)).ReadCalibration(*eepromImage);

    bool offline = false;
    if (failed) {
        if (platform::MessageBox(QStringLiteral("Unable to read radio calibration.\nContinue in offline mode?"),
                                 QStringLiteral("Comms Error"),
                                 platform::MB_ICONEXCLAMATION | platform::MB_OKCANCEL) != platform::IDOK)
            return false;
        offline = true;
    }
    if (auto* align = qobject_cast<TformAlign*>(window))
        align->SetOffline(offline);
    return true;
}

bool TfrmMain::PrepareEeprom(QWidget* window)
{
    if (auto* editor = qobject_cast<TfrmEEpromEdit*>(window)) {
        editor->SetSource(eepromImage, ee::CalibrationWords * 2);
        editor->SetHeaderFile(QStringLiteral("eerom_kr5180.h"));
    }
    return true;
}

bool TfrmMain::PrepareChannelData(QWidget* window)
{
    if (auto* channels = qobject_cast<TfrmRxChData*>(window))
        channels->SetImage(eepromImage);
    return true;
}

void TfrmMain::mnuCommsCommsMonitorClick()
{
    if (frmCommsMonitor) {
        frmCommsMonitor->show();
        frmCommsMonitor->raise();
    }
}

void TfrmMain::About1Click()
{
    ShowModalWindow(AboutBox);
}
