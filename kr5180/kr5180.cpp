// Program entry of the KR5180 programmer: the application object, then every window of
// the program, created once in a fixed order and kept until the program ends.
#include "about.h"
#include "align.h"
#include "ctcss.h"
#include "ee_edit.h"
#include "eeprom.h"
#include "eng.h"
#include "engoptions.h"
#include "firmware.h"
#include "main.h"
#include "monitor.h"
#include "options.h"
#include "progress.h"
#include "radio.h"
#include "remote.h"
#include "report.h"
#include "rxchdata.h"
#include "rxchedit.h"
#include "scan.h"
#include "seriallog.h"
#include "squelch.h"

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

    // 2. EEPROM editor.
    std::unique_ptr<TfrmEEpromEdit> eeEdit(new TfrmEEpromEdit(radioCmd, mainWindow.get()));
    frmEEpromEdit = eeEdit.get();
    mainWindow->SetEditor(TfrmMain::Editor::Eeprom, eeEdit.get());
    // 3. Development window (nothing opens it).
    std::unique_ptr<TfrmEngineering> engineering(new TfrmEngineering(radioCmd, eepromImage));
    frmEngineering = engineering.get();
    // 4. Firmware box (nothing opens it).
    std::unique_ptr<TfrmFirmware> firmware(new TfrmFirmware());
    frmFirmware = firmware.get();
    // 5. Comms monitor.
    std::unique_ptr<TfrmCommsMonitor> monitor(new TfrmCommsMonitor());
    frmCommsMonitor = monitor.get();
    // 6. Radio options.
    std::unique_ptr<TfrmOptions> options(new TfrmOptions(mainWindow.get()));
    frmOptions = options.get();
    mainWindow->SetEditor(TfrmMain::Editor::Options, options.get());
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
    // 10. Alignment.
    std::unique_ptr<TformAlign> align(new TformAlign(radioCmd, eepromImage, mainWindow.get()));
    formAlign = align.get();
    mainWindow->SetEditor(TfrmMain::Editor::Align, align.get());
    // 11. Squelch.
    std::unique_ptr<TfrmSquelch> squelch(new TfrmSquelch(mainWindow.get()));
    frmSquelch = squelch.get();
    mainWindow->SetEditor(TfrmMain::Editor::Squelch, squelch.get());
    // 12. Report window.
    std::unique_ptr<TfrmReport> report(new TfrmReport());
    frmReport = report.get();
    // 13. Receive-only channels, and 14. their add / edit dialog.
    std::unique_ptr<TfrmRxChData> rxChData(new TfrmRxChData(mainWindow.get()));
    frmRxChData = rxChData.get();
    mainWindow->SetEditor(TfrmMain::Editor::ChannelData, rxChData.get());
    std::unique_ptr<TfrmRxChEdit> rxChEdit(new TfrmRxChEdit(rxChData.get()));
    frmRxChEdit = rxChEdit.get();
    // 15. Scan and duplex.
    std::unique_ptr<TfrmScan> scan(new TfrmScan(mainWindow.get()));
    frmScan = scan.get();
    mainWindow->SetEditor(TfrmMain::Editor::Scan, scan.get());
    // 16. CTCSS.
    std::unique_ptr<TfrmCtcss> ctcss(new TfrmCtcss(mainWindow.get()));
    frmCtcss = ctcss.get();
    mainWindow->SetEditor(TfrmMain::Editor::Ctcss, ctcss.get());
    // 17. Engineering options.
    std::unique_ptr<TfrmEngOptions> engOptions(new TfrmEngOptions(mainWindow.get()));
    frmEngOptions = engOptions.get();
    mainWindow->SetEditor(TfrmMain::Editor::Engineering, engOptions.get());
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
