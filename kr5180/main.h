// The main window of the KR5180 programmer: owns the memory image, the radio command
// object and the serial port; runs the whole-image transfers to and from the radio and
// the ".mem" files; opens the editors; chooses and searches for the COM port.
#pragma once

#include <platform/filedialog.h>

#include <QMainWindow>
#include <QString>

namespace Ui { class TfrmMain; }
class QLabel;
class QCloseEvent;
class QShowEvent;

// The serial line settings the main window keeps (ComPort and BaudRate in the registry).
struct PortSettings {
    int portNumber = 1; // 1..8; 0 only after the port dialog's OK with nothing selected
    int baudRate = 9600;
    int dataBits = 8;
    int parity = 0;     // 0 none, 1 odd, 2 even
    int stopBits = 1;
};

// Index 0 is the empty name; 1..8 are "COM1".."COM8".
extern const char* const PortNames[9];

// Where the settings live, and the default image in the working directory.
extern const char* const PortRegistryKey;   // "\Navar\kr5480\Port"
extern const char* const DefaultMemFile;    // "defkr5180.mem"

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    enum : unsigned char { SourceNone = 0, SourceFile = 1, SourceRadio = 2 };
    // The windows of the right-hand buttons and the Edit menu (the table is in main.cpp).
    enum class Editor { Scan, Ctcss, ChannelData, Squelch, Options, Align, Eeprom, Engineering, Remote,
                        Development, Count };

    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Event handlers.
    void FormCreate();
    void FormShow();
    void FormClose();
    void mnuFileExitClick();
    void btnReadRadioClick();
    void btnWriteRadioClick();
    void btnReadFileClick();
    void btnWriteFileClick();
    void EditClick();
    // Registers the window an editor button opens, as it is made at start-up.
    void SetEditor(Editor which, QWidget* window);
    QWidget* EditorWindow(Editor which) const;
    // The row's set-up call, then the window, modal or modeless as its row says.
    void OpenEditor(Editor which);
    void mnCommPortClick();
    void mnAutoDetectClick();
    void mnuCommsCommsMonitorClick();
    void About1Click();

    // Operations.
    bool OpenCommPort();
    void LoadMemFile(const QString& name);
    // The Align button's operation: the calibration read, then the alignment window.
    void ShowAlignment() { OpenEditor(Editor::Align); }
    // Set-up calls of the editor table: false leaves the window unshown.
    bool PrepareAlignment(QWidget* window);
    bool PrepareEeprom(QWidget* window);
    bool PrepareChannelData(QWidget* window);
    void LoadPortSettings();
    void SavePortSettings();
    void UpdateStatusBar();
    static QString FormatPortSettings(const PortSettings& settings);
    void ShowPortStatus();
    void ShowFirmwareStatus();
    void ShowDataSourceStatus();
    // 1..8 for the port on which the radio answered, or 0.
    int AutoDetectPort();

    // Text of status bar panel 0..3 (panel 3 whole, as its tooltip shows it).
    QString PanelText(int panel) const;
    // False when start-up could not make the serial port; the program then ends.
    bool Started() const { return started; }

    PortSettings portSettings;
    unsigned char DataSource = SourceNone;
    QString memFileName;

    platform::TOpenDialog FileOpenDialog;
    platform::TSaveDialog FileSaveDialog;

signals:
    // The window has closed and freed the shared objects: the program ends.
    void formClosed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyBuildVisibility();
    void MakeStatusPanels();
    void ConnectHandlers();
    void SetPanel(int panel, const QString& text);
    void ShowModalWindow(QWidget* window);
    void ConnectEditors();

    Ui::TfrmMain* ui;
    QLabel* panels[4] = {};
    QWidget* editors_[int(Editor::Count)] = {};
    bool started = false;
    bool formClosedDone = false;
};

extern TfrmMain* frmMain;
