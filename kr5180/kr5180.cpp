// Program entry of the KR5180 programmer: the application object, then every window of
// the program, created once in a fixed order and kept until the program ends.
#include "about.h"
#include "eeprom.h"
#include "eng.h"
#include "firmware.h"
#include "main.h"
#include "monitor.h"
#include "progress.h"
#include "radio.h"
#include "remote.h"
#include "report.h"
#include "seriallog.h"

#include <platform/application.h>

#include <QEvent>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// When the main window closes it frees the radio and the port: the service windows are
// closed first, so a transmitter they keyed is released while the radio still listens.
class CloseBeforeMain : public QObject {
public:
    explicit CloseBeforeMain(std::vector<QWidget*> windows) : windows_(std::move(windows)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            for (QWidget* w : windows_)
                w->close();
        return false;
    }

private:
    std::vector<QWidget*> windows_;
};

int Run(platform::Application& app)
{
    // 1. The main window: builds the image, the radio commands and the serial port,
    //    opens the port and loads the default image.
    std::unique_ptr<TfrmMain> mainWindow(new TfrmMain());
    frmMain = mainWindow.get();
    if (!mainWindow->Started())
        return 1;

    // 2. SLOT (not built yet): frmEEpromEdit (TfrmEEpromEdit), EEPROM editor; SetEditor(Editor::Eeprom, ...).
    // 3. Development window (nothing opens it).
    std::unique_ptr<TfrmEngineering> engineering(new TfrmEngineering(radioCmd, eepromImage));
    frmEngineering = engineering.get();
    // 4. Firmware box (nothing opens it).
    std::unique_ptr<TfrmFirmware> firmware(new TfrmFirmware());
    frmFirmware = firmware.get();
    // 5. Comms monitor.
    std::unique_ptr<TfrmCommsMonitor> monitor(new TfrmCommsMonitor());
    frmCommsMonitor = monitor.get();
    // 6. SLOT (not built yet): frmOptions (TfrmOptions), radio options; SetEditor(Editor::Options, ...).
    // 7. Progress window of the transfers.
    std::unique_ptr<TfrmProgress> progress(new TfrmProgress(mainWindow.get()));
    frmProgress = progress.get();
    // 8. Remote panel, modeless from its (always hidden) button and menu item.
    std::unique_ptr<TfrmRemote> remote(new TfrmRemote(radioCmd));
    frmRemote = remote.get();
    mainWindow->SetEditor(TfrmMain::Editor::Remote, remote.get());
    // 9. Serial log (nothing opens it).
    std::unique_ptr<TformSerialLog> serialLog(new TformSerialLog());
    formSerialLog = serialLog.get();
    // 10. SLOT (not built yet): formAlign (TformAlign), alignment; SetEditor(Editor::Align, ...).
    // 11. SLOT (not built yet): frmSquelch (TfrmSquelch), squelch; SetEditor(Editor::Squelch, ...).
    // 12. Report window.
    std::unique_ptr<TfrmReport> report(new TfrmReport());
    frmReport = report.get();
    // 13. SLOT (not built yet): frmRxChData (TfrmRxChData), receive-only channels; SetEditor(Editor::ChannelData, ...).
    // 14. SLOT (not built yet): frmRxChEdit (TfrmRxChEdit), receive-only channel edit.
    // 15. SLOT (not built yet): frmScan (TfrmScan), scan and duplex; SetEditor(Editor::Scan, ...).
    // 16. SLOT (not built yet): frmCtcss (TfrmCtcss), CTCSS; SetEditor(Editor::Ctcss, ...).
    // 17. SLOT (not built yet): frmEngOptions (TfrmEngOptions), engineering options; SetEditor(Editor::Engineering, ...).
    // 18. About box.
    std::unique_ptr<TAboutBox> about(new TAboutBox());
    AboutBox = about.get();

    CloseBeforeMain closeServiceWindows({engineering.get(), remote.get()});
    mainWindow->installEventFilter(&closeServiceWindows);
    // Closing the main window ends the program, whatever else is still shown.
    QObject::connect(mainWindow.get(), &TfrmMain::formClosed, &app, &QApplication::quit, Qt::QueuedConnection);
    mainWindow->show();
    const int rc = app.exec();
    // The windows go in the reverse order of their creation, the main window last.
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    platform::Application app(argc, argv);
    try {
        return Run(app);
    } catch (const std::exception& e) {
        platform::ShowException(e);
    } catch (...) {
        platform::ShowException(std::runtime_error(""));
    }
    return 1;
}
