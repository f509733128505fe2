// The splash window shown while the program starts: a picture, the program
// type and a memo of progress lines. Start-up drives it. It stays on top of the other
// windows except while a modal box is up: the box then shows above it.
#pragma once

#include <QList>
#include <QPointer>
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

    // Whether the splash is kept above other windows now.
    bool StaysOnTop() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetStaysOnTop(bool on);

    Ui::TSplash* ui;
    QList<QPointer<QWidget>> boxesUp_;
};

extern TSplash* Splash;
