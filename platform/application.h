// The application object: an exception escaping an event handler is shown in an
// error box and the program goes on. It installs the form rules (formrules.h).
#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>

namespace platform {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    QString Title; // caption of the error box; the application name when empty
};

// Shows an exception's message as the default handler does (used by notify).
void ShowException(const std::exception& e);

// Runs deliver (one event delivery); an exception it lets escape is shown with
// ShowException and counts as an unhandled event (false). notify uses this.
bool DeliverGuarded(const std::function<bool()>& deliver);

} // namespace platform
