// The splash window shown while the program starts: a picture, the program
// type and a memo of progress lines. Start-up drives it. It stays on top of the other
// windows (except while a modal box is up, as every stay-on-top window does).
#pragma once

#include <QWidget>

namespace Ui { class TSplash; }
class QLabel;
class QPlainTextEdit;

class TSplash : public QWidget {
    Q_OBJECT
public:
    explicit TSplash(QWidget* parent = nullptr);
    ~TSplash() override;

    // Adds one progress line and repaints at once.
    void AddLine(const QString& line);
    void ShowCentred();

    QLabel* lblProgramType;
    QPlainTextEdit* SplashMemo;

private:
    Ui::TSplash* ui;
};

extern TSplash* Splash;
