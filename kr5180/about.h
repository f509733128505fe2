// The about box: program name, version, the maker's web and e-mail links.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Ui {
class TAboutBox;
}

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    static const char* const WebSiteUrl;
    static const char* const SupportEmail;
    static const char* const EmailSubject;

    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    void FormCreate();
    void FormShow();
    void btnCloseClick();
    void lblWebSiteClick();
    void lblEmailClick();

    // The logo, drawn by the program itself.
    static QPixmap DrawLogo(int width, int height);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Ui::TAboutBox* ui;
};

extern TAboutBox* AboutBox;
