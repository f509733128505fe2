#include "support/dialogs.h"

#include <platform/msgbox.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace testsupport {

struct ModalHandler::State {
    std::function<void(QWidget*)> action;
    int timeoutMs;
    QTimer timer;
    QElapsedTimer clock;
    bool ran = false;
    qint64 ranAt = 0;
};

ModalHandler::ModalHandler(std::function<void(QWidget*)> action, int timeoutMs) : s_(new State)
{
    s_->action = std::move(action);
    s_->timeoutMs = timeoutMs;
    s_->clock.start();
    s_->timer.setInterval(10);
    State* s = s_;
    QObject::connect(&s_->timer, &QTimer::timeout, [s] {
        if (!s->ran) {
            if (QWidget* w = QApplication::activeModalWidget()) {
                s->ran = true;
                s->ranAt = s->clock.elapsed();
                s->action(w);
            } else if (s->clock.elapsed() > s->timeoutMs) {
                s->timer.stop(); // no dialog came
            }
            return;
        }
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            s->timer.stop(); // done; later dialogs belong to later handlers
            return;
        }
        if (s->clock.elapsed() - s->ranAt <= s->timeoutMs)
            return;
        // The action left a dialog open: end it so the test cannot hang.
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    });
    s_->timer.start();
}

ModalHandler::~ModalHandler()
{
    s_->timer.stop();
    delete s_;
}

bool ModalHandler::ran() const
{
    return s_->ran;
}

struct MessageBoxResponder::State {
    std::mutex mutex;
    std::deque<int> answers;
    std::optional<int> always;
    std::vector<RecordedBox> boxes;
};

MessageBoxResponder::MessageBoxResponder() : s_(new State)
{
    State* s = s_;
    platform::SetMessageBoxHook([s](const QString& text, const QString& caption, unsigned flags,
                                          const QString& detail) {
        std::unique_lock<std::mutex> lock(s->mutex);
        s->boxes.push_back({text, caption, flags, detail});
        if (!s->answers.empty()) {
            int a = s->answers.front();
            s->answers.pop_front();
            return a;
        }
        if (s->always)
            return *s->always;
        lock.unlock();
        ADD_FAILURE() << "Unexpected message box: caption \"" << caption.toStdString() << "\", text \""
                      << text.toStdString() << "\", flags 0x" << std::hex << flags;
        return int(platform::IDCANCEL);
    });
}

MessageBoxResponder::~MessageBoxResponder()
{
    platform::SetMessageBoxHook({});
    delete s_;
}

void MessageBoxResponder::expect(int answer)
{
    std::lock_guard<std::mutex> lock(s_->mutex);
    s_->answers.push_back(answer);
}

void MessageBoxResponder::answerAll(int answer)
{
    std::lock_guard<std::mutex> lock(s_->mutex);
    s_->always = answer;
}

const std::vector<RecordedBox>& MessageBoxResponder::boxes() const
{
    std::lock_guard<std::mutex> lock(s_->mutex);
    return s_->boxes;
}

void MessageBoxResponder::clear()
{
    std::lock_guard<std::mutex> lock(s_->mutex);
    s_->boxes.clear();
}

bool WaitFor(const std::function<bool()>& pred, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (pred())
            return true;
        if (clock.elapsed() >= timeoutMs)
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace testsupport
