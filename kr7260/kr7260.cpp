// KR7260 programmer: program entry.
#include "main.h"

#include <platform/application.h>
#include <platform/single_instance.h>

#include <exception>

int main(int argc, char** argv)
{
    platform::Application app(argc, argv);
    app.Title = kr7260app::ApplicationTitle;

    // The lock stays held until the process ends.
    platform::SingleInstance instance(kr7260app::MutexName);
    if (!kr7260app::AcquireSingleInstance(instance))
        return 0;

    int rc = 1;
    try {
        kr7260app::CreateForms();
        instance.OnActivateRequest(&kr7260app::BringForward);
        MainForm->show();
        rc = app.exec();
    } catch (const std::exception& e) {
        platform::ShowException(e);
    }
    kr7260app::DestroyForms();
    return rc;
}
