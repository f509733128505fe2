#include "main.h"
#include "ui_main.h"

#include "about.h"
#include "adv_edit.h"
#include "chandata.h"
#include "chanedit_p.h"
#include "com_port.h"
#include "connect.h"
#include "ctcss.h"
#include "editor.h"
#include "eng_edit.h"
#include "kr72wire.h"
#include "options.h"
#include "page.h"
#include "radio_rw.h"
#include "scan.h"
#include "sel_ch.h"
#include "selc_mem.h"
#include "selcall.h"
#include "ser_com.h"
#include "splash_scr.h"

#include <platform/application.h>
#include <platform/msgbox.h>
#include <platform/registry.h>
#include <platform/single_instance.h>
#include <platform/window.h>

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStatusBar>
#include <QTextEdit>
#include <QTime>
#include <QTimer>

TMainForm* MainForm = nullptr;
bool FirstActivation = true;

namespace kr7260app {
const char* const MutexName = "KR72Mutex";
const char* const ApplicationTitle = "KR7260 Dealer Software";
const char* const RegistryKey = "\\Navar\\kr7260\\Port";
const char* const DefaultFile = "defkr72.mem";
} // namespace kr7260app

namespace {
const char* const MainCaption = "Navar KR7260 Programmer PV4410.1.01";
const char* const FileFilter = "Programming Files (*.mem)|*.mem|All Files (*.*)|*.*";

// The outcome of loading or saving a file: the status line on success, a box for a file
// that was opened but could not be read or written (a file that cannot be opened is left
// to the caller).
bool ReportFileStatus(TMainForm& form, TRadioImage::FileStatus status, const QString& name)
{
    if (status == TRadioImage::FileStatus::Ok) {
        form.SetStatusText(0, "File loaded: " + name);
        return true;
    }
    if (status != TRadioImage::FileStatus::CannotOpen)
        platform::MessageBox(TRadioImage::FileErrorText(status), "File Error", platform::MB_OKCANCEL);
    return false;
}
} // namespace

// ---------------------------------------------------------------- main window

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), ui(new Ui::TMainForm)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    btnWriteRadio = ui->btnWriteRadio;
    btnFileSave = ui->btnFileSave;
    btnReadRadio = ui->btnReadRadio;
    btnFileOpen = ui->btnFileOpen;
    btnScanDuplex = ui->btnScanDuplex;
    btnCtcss = ui->btnCtcss;
    btnSelcall = ui->btnSelcall;
    btnChannel = ui->btnChannel;
    btnOptions = ui->btnOptions;
    EditRadioHardware = ui->EditRadioHardware;
    btnEngineering = ui->btnEngineering;
    mnuWriteRadio = ui->mnuWriteRadio;
    mnuFileSave = ui->mnuFileSave;
    mnuReadRadio = ui->mnuReadRadio;
    mnuFileOpen = ui->mnuFileOpen;
    mnuFileExit = ui->mnuFileExit;
    mnuScanDuplex = ui->mnuScanDuplex;
    mnuCtcss = ui->mnuCtcss;
    mnuSelcall = ui->mnuSelcall;
    mnuChannel = ui->mnuChannel;
    mnuOptions = ui->mnuOptions;
    mnuSql = ui->mnuSql;
    mnuEngineering = ui->mnuEngineering;
    mnuPortSelect = ui->mnuPortSelect;
    mnuHelpAbout = ui->mnuHelpAbout;
    HelpText = ui->HelpText;
    lblVersion = ui->lblVersion;

    ui->imgLogo->setPixmap(DrawNavarLogo(ui->imgLogo->minimumSize()));

    // Status bar: panel 0 for messages, panel 1 the clock.
    StatusPanel0 = new QLabel("ProgStatus", this);
    StatusPanel0->setObjectName("StatusPanel0");
    StatusPanel0->setFixedWidth(550);
    StatusPanel1 = new QLabel("12:00:00", this);
    StatusPanel1->setObjectName("StatusPanel1");
    StatusPanel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar()->addWidget(StatusPanel0);
    statusBar()->addWidget(StatusPanel1, 1);
    statusBar()->setSizeGripEnabled(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1->start();

    ReadFileBox.Title = "Open Programming File...";
    ReadFileBox.Filter = FileFilter;
    SaveFileBox.Title = "Save Programming File...";
    SaveFileBox.Filter = FileFilter;
    SaveFileBox.OverwritePrompt = true;

    // Transfers: button and menu twin do the same.
    for (QPushButton* b : {btnWriteRadio, btnFileSave, btnReadRadio, btnFileOpen})
        connect(b, &QPushButton::clicked, this, [this, b] { SpeedBtnClick(b); });
    for (QAction* a : {mnuWriteRadio, mnuFileSave, mnuReadRadio, mnuFileOpen})
        connect(a, &QAction::triggered, this, [this, a] { SpeedBtnClick(a); });
    ConnectEditors();
    connect(mnuPortSelect, &QAction::triggered, this, &TMainForm::mnuPortSelectClick);
    connect(mnuHelpAbout, &QAction::triggered, this, &TMainForm::mnuHelpAboutClick);
    connect(mnuFileExit, &QAction::triggered, this, &TMainForm::mnuFileExitClick);

    // Help pane.
    Help = new THelpPane(HelpText, this);
    Help->Bind(btnWriteRadio, "Writes the configuration data in the edit windows to the radio.");
    Help->Bind(btnFileSave, "Writes the configuration data in the edit windows to a file.");
    Help->Bind(btnReadRadio, "Reads the configuration data in the radio to the edit windows.");
    Help->Bind(btnFileOpen, "Reads the configuration data in a file to the edit windows.");
    Help->Bind(btnChannel, "Allows you to add in extra scan channel frequencies.");
    Help->Bind(btnSelcall, "Allows you to adjust the radio's Selcall options.");
    Help->Bind(btnOptions, "Allows you to adjust the radio's options.");
    Help->Bind(btnScanDuplex, "Allows you to edit the radio's Scan options plus Scan and Duplex memories.");
    Help->Bind(EditRadioHardware, "Allows you to setup the radio's squelch and S-meter.");
    Help->Bind(btnEngineering, "Engineering special options.");
    Help->Bind(btnCtcss, "Allows you to adjust the radio's CTCSS options.");
    for (QWidget* w : {static_cast<QWidget*>(this), centralWidget(), static_cast<QWidget*>(ui->pnlTitle),
                       static_cast<QWidget*>(ui->grpTransfer), static_cast<QWidget*>(ui->grpEdit),
                       static_cast<QWidget*>(HelpText)})
        Help->BindSilent(w);
    Help->SetHandlers([this](QObject* s) { FocusHelp(s); }, [this](QObject* s) { MouseHelp(s); });

    FormCreate();
    UpdateEditorButtons();
    setFixedSize(sizeHint().expandedTo(QSize(720, 0)));
}

TMainForm::~TMainForm() { delete ui; }

void TMainForm::FormCreate()
{
    btnEngineering->setEnabled(false);
    btnEngineering->setVisible(false);
    mnuEngineering->setEnabled(false);
    mnuEngineering->setVisible(false);
    EditRadioHardware->setVisible(true);
    btnOptions->setVisible(true);
    setWindowTitle(MainCaption);
}

QString TMainForm::StatusText(int panel) const
{
    return panel == 0 ? StatusPanel0->text() : panel == 1 ? StatusPanel1->text() : QString();
}

void TMainForm::SetStatusText(int panel, const QString& text)
{
    if (panel == 0)
        StatusPanel0->setText(text);
    else if (panel == 1)
        StatusPanel1->setText(text);
}

bool TMainForm::LoadImageFile(const QString& name)
{
    lastFileStatus_ = RadioImage.LoadFromFile(name);
    return ReportFileStatus(*this, lastFileStatus_, name);
}

bool TMainForm::SaveImageFile(const QString& name)
{
    lastFileStatus_ = RadioImage.SaveToFile(name);
    return ReportFileStatus(*this, lastFileStatus_, name);
}

bool TMainForm::OpenComPort()
{
    const bool ok = frmSerial && frmSerial->OpenPort(ComPortNumber);
    if (!ok)
        ShowNoPortBox(ComPortNumber);
    return ok;
}

bool TMainForm::event(QEvent* event)
{
    // The start-up runs on the first activation, once the window is on screen.
    if (event->type() == QEvent::WindowActivate && FirstActivation)
        QTimer::singleShot(0, this, &TMainForm::FormShow);
    return QMainWindow::event(event);
}

void TMainForm::showEvent(QShowEvent* event)
{
    if (!centred_) {
        centred_ = true;
        platform::CentreOnScreen(this);
    }
    QMainWindow::showEvent(event);
}

void TMainForm::FormShow()
{
    if (!FirstActivation)
        return;
    FirstActivation = false;

    TSplash* splash = Splash;
    auto line = [splash](const char* text) {
        if (splash)
            splash->AddLine(text);
    };
    if (splash)
        splash->lblProgramType->setText(kr7260app::ApplicationTitle);
    SetStatusText(0, "");
    if (splash)
        splash->ShowCentred();

    line("Initilising program data...");

    line("Initilise default radio data...");
    if (LoadImageFile(kr7260app::DefaultFile)) {
        SetStatusText(0, "File loaded: Default file");
    } else {
        SetStatusText(0, "No file loaded.");
        // A file that exists but could not be read has had its own box already.
        if (lastFileStatus_ == TRadioImage::FileStatus::CannotOpen)
            platform::MessageBox("Default file defkr72.mem does not exist.", "No default file",
                                 platform::MB_ICONEXCLAMATION);
        RadioImage.Fill(0);
    }

    line("Reading registery...");
    {
        platform::TRegistry reg;
        if (reg.OpenKey(kr7260app::RegistryKey, false)) {
            int port = 0;
            ComPortNumber = reg.ReadInteger("ComPort", port) ? port : 1;
        }
        if (ComPortNumber < 1 || ComPortNumber > 4)
            ComPortNumber = 1;
        reg.CloseKey();
    }
    repaint();

    line("Opening port...");
    OpenComPort();

    line("Loading help...");
    if (splash)
        splash->hide();
}

void TMainForm::Timer1Timer()
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove('t'); // no time zone
    SetStatusText(1, QTime::currentTime().toString(format.trimmed()));
}

void TMainForm::SpeedBtnClick(QObject* sender)
{
    using platform::IDOK;
    const unsigned confirm = platform::MB_OKCANCEL | platform::MB_ICONQUESTION;
    if (sender == btnWriteRadio || sender == mnuWriteRadio) {
        if (platform::MessageBox("All current radio data will be lost", "Write to radio?", confirm) != IDOK)
            return;
        if (!frmReadWrite)
            return;
        // Without the port no transfer runs, and the image stays as it was.
        if (frmReadWrite->PortReady())
            RadioImage.Modify(kr72map::WordFixedChannel, 0x00FF, 0x0A00);
        frmReadWrite->StartAddress = 2;
        frmReadWrite->EndAddress = 127;
        frmReadWrite->TransferMode = kr72state::TransferWrite;
        frmReadWrite->ShowResult = 1;
        frmReadWrite->exec();
    } else if (sender == btnReadRadio || sender == mnuReadRadio) {
        if (platform::MessageBox("All current edit data will be lost", "Read from Radio?", confirm) != IDOK)
            return;
        // Without the port no read is tried: the image and the status stay as they were.
        const bool tried = !frmReadWrite || frmReadWrite->PortReady();
        if (frmReadWrite) {
            frmReadWrite->StartAddress = 0;
            frmReadWrite->EndAddress = 127;
            frmReadWrite->TransferMode = kr72state::TransferRead;
            frmReadWrite->ShowResult = 1;
            frmReadWrite->exec();
        }
        if (tried)
            SetStatusText(0, "Current Radio data loaded");
    } else if (sender == btnFileOpen || sender == mnuFileOpen) {
        if (platform::MessageBox("All current data will be lost", "Read from file?", confirm) != IDOK)
            return;
        if (!ReadFileBox.Execute())
            return;
        // A chosen file that cannot be opened is reported too; the image is kept.
        if (!LoadImageFile(ReadFileBox.FileName) && lastFileStatus_ == TRadioImage::FileStatus::CannotOpen)
            platform::MessageBox(TRadioImage::FileErrorText(TRadioImage::FileStatus::ReadError), "File Error",
                                 platform::MB_OKCANCEL);
    } else if (sender == btnFileSave || sender == mnuFileSave) {
        if (!SaveFileBox.Execute())
            return;
        // A file that cannot be created is reported too; the previous file is kept.
        if (!SaveImageFile(SaveFileBox.FileName) && lastFileStatus_ == TRadioImage::FileStatus::CannotOpen)
            platform::MessageBox(TRadioImage::FileErrorText(TRadioImage::FileStatus::WriteError), "File Error",
                                 platform::MB_OKCANCEL);
    }
}

namespace {

// The editor table: which button and Edit menu item open which window (always modal;
// no editor needs a set-up call). A window is registered by SetEditor when it is made.
struct EditorRow {
    TMainForm::Editor which;
    QPushButton* TMainForm::*button;
    QAction* TMainForm::*item;
};

constexpr EditorRow EditorTable[] = {
    {TMainForm::Editor::ScanDuplex, &TMainForm::btnScanDuplex, &TMainForm::mnuScanDuplex},
    {TMainForm::Editor::Ctcss, &TMainForm::btnCtcss, &TMainForm::mnuCtcss},
    {TMainForm::Editor::Selcall, &TMainForm::btnSelcall, &TMainForm::mnuSelcall},
    {TMainForm::Editor::ChannelData, &TMainForm::btnChannel, &TMainForm::mnuChannel},
    {TMainForm::Editor::Options, &TMainForm::btnOptions, &TMainForm::mnuOptions},
    {TMainForm::Editor::SquelchSMeter, &TMainForm::EditRadioHardware, &TMainForm::mnuSql},
    {TMainForm::Editor::Engineering, &TMainForm::btnEngineering, &TMainForm::mnuEngineering},
};

} // namespace

void TMainForm::ConnectEditors()
{
    for (const EditorRow& row : EditorTable) {
        const Editor which = row.which;
        connect(this->*row.button, &QPushButton::clicked, this, [this, which] { OpenEditor(which); });
        connect(this->*row.item, &QAction::triggered, this, [this, which] { OpenEditor(which); });
    }
}

void TMainForm::SetEditor(Editor which, QDialog* window)
{
    if (which != Editor::Count)
        editors_[int(which)] = window;
    UpdateEditorButtons();
}

QDialog* TMainForm::EditorWindow(Editor which) const
{
    return which == Editor::Count ? nullptr : editors_[int(which)];
}

void TMainForm::UpdateEditorButtons()
{
    // An editor that is not part of this build leaves its button and menu entry disabled;
    // the engineering pair stays disabled and hidden whatever is registered.
    for (const EditorRow& row : EditorTable) {
        if (row.which == Editor::Engineering)
            continue;
        const bool present = EditorWindow(row.which) != nullptr;
        (this->*row.button)->setEnabled(present);
        (this->*row.item)->setEnabled(present);
    }
}

void TMainForm::EditButtonClick(QObject* sender)
{
    for (const EditorRow& row : EditorTable)
        if (sender == this->*row.button || sender == this->*row.item)
            OpenEditor(row.which);
}

void TMainForm::OpenEditor(Editor which)
{
    if (QDialog* editor = EditorWindow(which))
        editor->exec();
}

void TMainForm::mnuPortSelectClick()
{
    if (!frmPorts || frmPorts->exec() != QDialog::Accepted)
        return;
    if (frmSerial)
        frmSerial->ClosePort();
    OpenComPort();
}

void TMainForm::mnuHelpAboutClick()
{
    if (AboutBox)
        AboutBox->exec();
}

void TMainForm::mnuFileExitClick() { close(); }

void TMainForm::FocusHelp(QObject* sender) { Help->FocusHelp(sender); }

void TMainForm::MouseHelp(QObject* sender) { FocusHelp(sender); }

void TMainForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TMainForm::FormClose()
{
    if (frmSerial)
        frmSerial->ClosePort();
    platform::TRegistry reg;
    if (reg.OpenKey(kr7260app::RegistryKey, true))
        reg.WriteInteger("ComPort", ComPortNumber);
    reg.CloseKey();
}

// ---------------------------------------------------------------- program start-up

namespace kr7260app {

bool AcquireSingleInstance(platform::SingleInstance& lock)
{
    if (lock.TryLock())
        return true;
    platform::MessageBox("The program is already running", ApplicationTitle, platform::MB_OK);
    // This copy must not be taken for the first one.
    QCoreApplication::setApplicationName("KR7260 run another");
    lock.ActivateFirst();
    return false;
}

void CreateForms()
{
    FirstActivation = true;
    QCoreApplication::setApplicationName(ApplicationTitle);

    MainForm = new TMainForm;
    AboutBox = new TAboutBox(MainForm);
    Splash = new TSplash(MainForm);
    frmPorts = new TfrmPorts(MainForm);
    frmAdvanced = new TfrmAdvanced(MainForm);
    MainForm->SetEditor(TMainForm::Editor::SquelchSMeter, frmAdvanced);
    frmChannelSelect = new TfrmChannelSelect(MainForm);
    frmReadWrite = new TfrmReadWrite(MainForm);
    frmSerial = new TfrmSerial;
    frmEngineering = new TfrmEngineering(MainForm);     // its button stays hidden
    MainForm->SetEditor(TMainForm::Editor::Engineering, frmEngineering);
    frmConnectRadio = new TfrmConnectRadio(MainForm);   // nothing shows it
    frmEditChannel2 = new TfrmEditChannel2(MainForm);
    frmChannelData = new TfrmChannelData(MainForm, frmChannelSelect, frmEditChannel2);
    MainForm->SetEditor(TMainForm::Editor::ChannelData, frmChannelData);
    frmSelcall = new TfrmSelcall(MainForm);
    MainForm->SetEditor(TMainForm::Editor::Selcall, frmSelcall);
    frmOptions = new TfrmOptions(MainForm);
    MainForm->SetEditor(TMainForm::Editor::Options, frmOptions);
    // The selcall window's children read its controls and open only from it.
    frmSelcallIdents = new TfrmSelcallIdents(frmSelcall, frmSelcall);
    frmPageAlarm = new TfrmPageAlarm(frmSelcall, frmSelcall);
    frmSelcall->Attach(frmSelcallIdents, frmPageAlarm);
    frmScan = new TfrmScan(MainForm);
    MainForm->SetEditor(TMainForm::Editor::ScanDuplex, frmScan);
    frmCtcss = new TfrmCtcss(MainForm);
    MainForm->SetEditor(TMainForm::Editor::Ctcss, frmCtcss);

    frmReadWrite->Attach(frmSerial, &MainForm->RadioImage);
    frmSerial->Image = &MainForm->RadioImage;
    // The parser thread reports the radio version; the label changes on this thread.
    QObject::connect(frmSerial, &TfrmSerial::versionChanged, MainForm->lblVersion, &QLabel::setText,
                     Qt::QueuedConnection);
}

void DestroyForms()
{
    // The link first: its threads use the transfer dialog and the image.
    delete frmSerial;
    frmSerial = nullptr;
    delete frmReadWrite;
    frmReadWrite = nullptr;
    delete frmPorts;
    frmPorts = nullptr;
    delete Splash;
    Splash = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete MainForm;
    MainForm = nullptr;
}

void BringForward()
{
    if (!MainForm)
        return;
    MainForm->showNormal();
    MainForm->raise();
    MainForm->activateWindow();
}

} // namespace kr7260app
