// The KR7260 programmer's main window, and the program start-up it drives.
#pragma once

#include "radio_image.h"

#include <platform/filedialog.h>

#include <QMainWindow>
#include <QString>
#include <array>

namespace Ui { class TMainForm; }
namespace platform { class SingleInstance; }
class QAction;
class QDialog;
class QLabel;
class QPushButton;
class QTextEdit;
class QTimer;
class THelpPane;

// Set when the program starts; the start-up sequence runs once and clears it.
extern bool FirstActivation;

namespace kr7260app {
extern const char* const MutexName;       // "KR72Mutex"
extern const char* const ApplicationTitle; // "KR7260 Dealer Software"
extern const char* const RegistryKey;     // "\Navar\kr7260\Port"
extern const char* const DefaultFile;     // "defkr72.mem"

// True when this is the only running copy (it then holds the lock). Otherwise shows
// "The program is already running", asks the first copy to come forward and returns
// false: the caller ends without creating any window.
bool AcquireSingleInstance(platform::SingleInstance& lock);
// Creates every window, hidden, in the program's order and joins them up; sets FirstActivation.
void CreateForms();
// Destroys them again, last created first (the link first, so its threads end).
void DestroyForms();
// Shows the first copy's main window in front (asked for by a second start).
void BringForward();
} // namespace kr7260app

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // The editor windows the main window opens, by their buttons.
    enum class Editor { ScanDuplex, Ctcss, Selcall, ChannelData, Options, SquelchSMeter, Engineering, Count };

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    TRadioImage RadioImage;
    int ComPortNumber = 0; // 1..4 once start-up has run

    // The image file (512 bytes). True on success, which also sets the status text
    // "File loaded: " + name. A file that cannot be opened says nothing; an error while
    // reading or writing shows the "File Error" box.
    bool LoadImageFile(const QString& name);
    bool SaveImageFile(const QString& name);
    TRadioImage::FileStatus LastFileStatus() const { return lastFileStatus_; }

    QString StatusText(int panel) const;
    void SetStatusText(int panel, const QString& text);

    // Registers the window an editor button opens (the table is in main.cpp); a button
    // whose window is absent is disabled.
    void SetEditor(Editor which, QDialog* window);
    QDialog* EditorWindow(Editor which) const;
    void OpenEditor(Editor which);

    // Handlers.
    void FormCreate();
    void FormShow();  // start-up, on the first activation only
    void FormClose();
    void Timer1Timer();
    void SpeedBtnClick(QObject* sender);
    void EditButtonClick(QObject* sender);
    void mnuPortSelectClick();
    void mnuHelpAboutClick();
    void mnuFileExitClick();
    void FocusHelp(QObject* sender);
    void MouseHelp(QObject* sender);

    // Opens the port ComPortNumber; on failure the "No port." box.
    bool OpenComPort();

    QPushButton* btnWriteRadio;
    QPushButton* btnFileSave;
    QPushButton* btnReadRadio;
    QPushButton* btnFileOpen;
    QPushButton* btnScanDuplex;
    QPushButton* btnCtcss;
    QPushButton* btnSelcall;
    QPushButton* btnChannel;
    QPushButton* btnOptions;
    QPushButton* EditRadioHardware;
    QPushButton* btnEngineering;
    QAction* mnuWriteRadio;
    QAction* mnuFileSave;
    QAction* mnuReadRadio;
    QAction* mnuFileOpen;
    QAction* mnuFileExit;
    QAction* mnuScanDuplex;
    QAction* mnuCtcss;
    QAction* mnuSelcall;
    QAction* mnuChannel;
    QAction* mnuOptions;
    QAction* mnuSql;
    QAction* mnuEngineering;
    QAction* mnuPortSelect;
    QAction* mnuHelpAbout;
    QTextEdit* HelpText;
    QLabel* lblVersion;
    QLabel* StatusPanel0;
    QLabel* StatusPanel1;
    QTimer* Timer1;
    platform::TOpenDialog ReadFileBox;
    platform::TSaveDialog SaveFileBox;
    THelpPane* Help;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ConnectEditors();
    void UpdateEditorButtons();

    Ui::TMainForm* ui;
    std::array<QDialog*, int(Editor::Count)> editors_{};
    TRadioImage::FileStatus lastFileStatus_ = TRadioImage::FileStatus::Ok;
    bool centred_ = false;
};

extern TMainForm* MainForm;
