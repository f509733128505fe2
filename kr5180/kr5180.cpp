// Program entry of the KR5180 programmer: the application object, then every window of
// the program, created once in a fixed order and kept until the program ends.
#include "about.h"
#include "align.h"
#include "ee_edit.h"
#include "eeprom.h"
#include "main.h"
#include "monitor.h"
#include "progress.h"
#include "radio.h"
#include "report.h"

#include <platform/application.h>

#include <memory>
#include <stdexcept>

namespace {

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
    // 3. SLOT (not built yet): frmEngineering (TfrmEngineering), development window.
    // 4. SLOT (not built yet): frmFirmware (TfrmFirmware), firmware box.
    // 5. Comms monitor.
    std::unique_ptr<TfrmCommsMonitor> monitor(new TfrmCommsMonitor());
    frmCommsMonitor = monitor.get();
    // 6. SLOT (not built yet): frmOptions (TfrmOptions), radio options; SetEditor(Editor::Options, ...).
    // 7. Progress window of the transfers.
    std::unique_ptr<TfrmProgress> progress(new TfrmProgress(mainWindow.get()));
    frmProgress = progress.get();
    // 8. SLOT (not built yet): frmRemote (TfrmRemote), remote panel; SetEditor(Editor::Remote, ...).
    // 9. SLOT (not built yet): formSerialLog (TformSerialLog), serial log.
    // 10. Alignment.
    std::unique_ptr<TformAlign> align(new TformAlign(radioCmd, eepromImage, mainWindow.get()));
    formAlign = align.get();
    mainWindow->SetEditor(TfrmMain::Editor::Align, align.get());
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
