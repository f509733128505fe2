#include "remote.h"

#include "radio.h"
#include "ui_remote.h"

#include <widgets/mousebuttons.h>

#include <QLabel>
#include <QShowEvent>
#include <QTimer>

TfrmRemote* frmRemote = nullptr;

namespace {

constexpr int HeldAfterMs = 1500;

// Captions, labels and key codes the panel gives its keys at each showing.
struct KeyFace {
    const char* caption;
    const char* label; // nullptr: no label under the key
    int code;
};
constexpr KeyFace FunctionKeys[4] = {
    {"MENU", "F", 3}, {"SCAN", "OS/GS", 9}, {"QUIET", "DUP", 4}, {"SQL", "ALPHA", 5}};
constexpr int KeyUp = 140, KeyDown = 141, KeyCall = 7, KeyPtt = 6;

} // namespace

TfrmRemote::TfrmRemote(KR5100* radio, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(new Ui::TfrmRemote), radio_(radio), tmrKeyHeld(new QTimer(this))
{
    ui->setupUi(this);
    tmrKeyHeld->setObjectName(QStringLiteral("tmrKeyHeld"));
    tmrKeyHeld->setSingleShot(false);
    ui->editChannel->setVisible(false);
    setFixedSize(sizeHint());

    // The keys act on the mouse button alone; the keyboard presses them without effect.
    QPushButton* const k[7] = {ui->btnF1, ui->btnF2, ui->btnF3, ui->btnF4, ui->btnUP, ui->btnDN, ui->btnCall};
    std::copy(std::begin(k), std::end(k), keys);
    for (QPushButton* b : keys)
        BindMouseDownUp(b, [this, b] { mouseDown(b); }, [this, b] { mouseUp(b); });
    connect(tmrKeyHeld, &QTimer::timeout, this, &TfrmRemote::tmrKeyHeldTimer);
    connect(ui->btnPTT, &QPushButton::clicked, this, &TfrmRemote::btnPTTClick);
    FormCreate();
}

TfrmRemote::~TfrmRemote()
{
    if (frmRemote == this)
        frmRemote = nullptr;
    delete ui;
}

void TfrmRemote::FormCreate()
{
    tmrKeyHeld->stop();
}

void TfrmRemote::FormShow()
{
    setWindowTitle(QStringLiteral("KR5180") + QStringLiteral(" Remote Control"));
    QPushButton* const functionButtons[4] = {ui->btnF1, ui->btnF2, ui->btnF3, ui->btnF4};
    QLabel* const functionLabels[4] = {ui->lbl_F1, ui->lbl_F2, ui->lbl_F3, ui->lbl_F4};
    for (int i = 0; i < 4; ++i) {
        functionButtons[i]->setText(QString::fromLatin1(FunctionKeys[i].caption));
        functionButtons[i]->setProperty("Tag", FunctionKeys[i].code);
        functionLabels[i]->setText(QString::fromLatin1(FunctionKeys[i].label));
    }
    ui->btnUP->setProperty("Tag", KeyUp);
    ui->btnDN->setProperty("Tag", KeyDown);
    ui->btnCall->setProperty("Tag", KeyCall);
    ui->btnPTT->setProperty("Tag", KeyPtt);
    pttOn = false;
}

void TfrmRemote::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// Closing the panel lets go of what it holds: a key still pressed and the transmitter.
void TfrmRemote::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    if (keyDown)
        mouseUp(keyDown);
    tmrKeyHeld->stop();
    if (pttOn)
        btnPTTClick();
}

int TfrmRemote::KeyCode(const QPushButton* button)
{
    return button->property("Tag").toInt();
}

void TfrmRemote::mouseDown(QPushButton* button)
{
    heldKey = KeyCode(button);
    keyDown = button;
    if (radio_)
        radio_->SendRemoteKey(heldKey, KeyPress);
    tmrKeyHeld->setInterval(HeldAfterMs);
    tmrKeyHeld->start();
}

void TfrmRemote::tmrKeyHeldTimer()
{
    if (radio_)
        radio_->SendRemoteKey(heldKey, KeyHeld);
    tmrKeyHeld->stop();
}

void TfrmRemote::mouseUp(QPushButton* button)
{
    tmrKeyHeld->stop();
    keyDown = nullptr;
    if (radio_)
        radio_->SendRemoteKey(KeyCode(button), KeyRelease);
}

void TfrmRemote::btnPTTClick()
{
    pttOn = !pttOn;
    if (radio_)
        radio_->SendRemoteKey(KeyPtt, pttOn ? KeyPress : KeyRelease);
}
