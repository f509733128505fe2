// The about box, and the maker's logo that the program's windows show.
#pragma once

#include <QDialog>
#include <QPixmap>

namespace Ui { class TAboutBox; }

// The Navar logo, painted to the given size.
QPixmap DrawNavarLogo(const QSize& size);

extern const char* const NavarWebSite;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    void FormCreate();
    void lblWebSiteClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetLinkColour(bool hot);
    Ui::TAboutBox* ui;
};

extern TAboutBox* AboutBox;
