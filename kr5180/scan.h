// The "Scan and Duplex settings" dialog: scan on or off, three beeps, transmit on the
// priority channel, the priority channel and check rate, the duplex channels 1 to 8 and
// CB channels 1 to 40 of scan memories 1 and 2 with the mode of scan memory 2.
#pragma once

#include "editor.h"

namespace Ui { class TfrmScan; }
class TChannelChecks;

class TfrmScan : public TImageEditor {
    Q_OBJECT
public:
    explicit TfrmScan(QWidget* parent = nullptr);
    ~TfrmScan() override;

    void FormCreate();
    void chkScanEnabledClick();

    TChannelChecks* DuplexBoxes = nullptr;
    TChannelChecks* ScanMem1Boxes = nullptr;
    TChannelChecks* ScanMem2Boxes = nullptr;

    // The text of a receive-only or CB channel in the priority list: "CB 01", "RX 42".
    static QString ChannelText(int channel);

protected:
    void LoadControls() override;
    bool CheckControls() override;
    void StoreControls() override;

private:
    void LoadPriorityChannel();
    void StorePriorityChannel();
    void LoadPriorityCheckRate();
    void StorePriorityCheckRate();

    int priorityCode_ = 0; // what OK stores, once CheckControls took the texts
    int checkRate_ = 1;
    Ui::TfrmScan* ui;
};

extern TfrmScan* frmScan;
