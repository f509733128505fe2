// The remote panel: buttons that imitate the radio's keys. Press, hold and release of a
// key travel to the radio as key events, so the radio can be worked from the desk.
#pragma once

#include <QDialog>

class KR5100;
class QPushButton;
class QTimer;

namespace Ui {
class TfrmRemote;
}

class TfrmRemote : public QDialog {
    Q_OBJECT
public:
    // Key actions of SendRemoteKey.
    enum : int { KeyPress = 1, KeyRelease = 2, KeyHeld = 4 };

    // radio: the command object the key events go through; not owned.
    explicit TfrmRemote(KR5100* radio, QWidget* parent = nullptr);
    ~TfrmRemote() override;

    void SetRadio(KR5100* radio) { radio_ = radio; }

    void FormCreate();
    void FormShow();
    void mouseDown(QPushButton* button);
    void tmrKeyHeldTimer();
    void mouseUp(QPushButton* button);
    void btnPTTClick();

    bool PttOn() const { return pttOn; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static int KeyCode(const QPushButton* button);

    Ui::TfrmRemote* ui;
    KR5100* radio_;
    QTimer* tmrKeyHeld;
    QPushButton* keys[7] = {};
    int heldKey = 0;
    QPushButton* keyDown = nullptr; // key whose mouse button is still down
    bool pttOn = false;
};

extern TfrmRemote* frmRemote;
