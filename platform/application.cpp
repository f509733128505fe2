#include <platform/application.h>
#include <platform/formrules.h>
#include <platform/msgbox.h>

#include <QCoreApplication>

namespace platform {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    InstallFormRules();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}

void ShowException(const std::exception& e)
{
    QString caption;
    if (auto* app = dynamic_cast<Application*>(QCoreApplication::instance()))
        caption = app->Title;
    if (caption.isEmpty())
        caption = QCoreApplication::applicationName();
    MessageBox(QString::fromUtf8(e.what()), caption, MB_ICONHAND);
}

bool DeliverGuarded(const std::function<bool()>& deliver)
{
    try {
        return deliver();
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(std::runtime_error("Unknown exception"));
    }
    return false;
}

} // namespace platform
