// Helpers for modal windows and message boxes in tests.
#pragma once

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace testsupport {

// Call before the click that opens a modal dialog: polls QApplication::activeModalWidget()
// every 10 ms, runs action on the first modal widget it finds, then returns; if no dialog
// appears within timeoutMs it gives up, and a dialog still open after the action plus
// timeoutMs is rejected so no test can hang. The flag reports whether the action ran.
class ModalHandler {
public:
    ModalHandler(std::function<void(QWidget*)> action, int timeoutMs = 5000);
    ~ModalHandler();
    bool ran() const;
private:
    struct State;
    State* s_;
};

struct RecordedBox {
    QString text;
    QString caption;
    unsigned flags;
    QString detail; // the box's detail text, empty when it has none
};

// Installs itself as the message box hook for its lifetime. Each box is recorded and
// answered from the queue of expected answers; a box with no answer queued fails the
// test (ADD_FAILURE) and is answered IDCANCEL.
class MessageBoxResponder {
public:
    MessageBoxResponder();
    ~MessageBoxResponder();
    void expect(int answer);           // queue the answer to the next box
    void answerAll(int answer);        // answer every further box (no failure)
    const std::vector<RecordedBox>& boxes() const;
    void clear();
private:
    struct State;
    State* s_;
};

// Waits while pumping events until pred is true or timeoutMs passes; returns pred().
bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 3000);

} // namespace testsupport
