// The application object: an exception escaping an event handler is shown in an
// error box and the program goes on.
#pragma once

#include <QApplication>
#include <QString>

namespace platform {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    QString Title; // caption of the error box; the application name when empty
};

// Shows an exception's message as the default handler does (used by notify).
void ShowException(const std::exception& e);

} // namespace platform
