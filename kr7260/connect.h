// The connect dialog: asks the radio for its version every 1.2 s, up to seven times,
// until it answers. Made at start-up; nothing in the program shows it.
#pragma once

#include "link_refs.h"

#include <QDialog>

namespace Ui { class TfrmConnectRadio; }
class QLabel;
class QPushButton;
class QTimer;

// Link and Transfers: the link and the request builders.
class TfrmConnectRadio : public QDialog, public TLinkRefs {
    Q_OBJECT
public:
    static constexpr int TickMs = 200;
    static constexpr int ReplyTicks = 4; // ticks after a request before the next attempt
    static constexpr int MaxRetries = 6; // requests after the first

    enum Phase { PhaseIdle = 0, PhaseSend = 1, PhaseWait = 2 };

    explicit TfrmConnectRadio(QWidget* parent = nullptr);
    ~TfrmConnectRadio() override;

    int ConnectPhase = PhaseIdle;
    int ConnectTicks = 0;
    int ConnectTries = 0;

    // Handlers.
    void FormShow();
    void FormClose();
    void Timer1Timer();

    QLabel* lblInformation;
    QPushButton* btnCancel;
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    Ui::TfrmConnectRadio* ui;
};

extern TfrmConnectRadio* frmConnectRadio;
