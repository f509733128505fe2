// The small "Add Channel" / "Edit Channel" dialog of the receive-only channel list: one
// channel's number, frequency (12.5 kHz steps) and scan and silent memberships.
#pragma once

#include "eeprom.h"

#include <QDialog>
#include <vector>

namespace Ui { class TfrmRxChEdit; }

class TfrmRxChEdit : public QDialog {
    Q_OBJECT
public:
    enum : unsigned char { ModeEdit = 0, ModeAdd = 1 };
    static constexpr int MaxFrequencyHz = ee::RxChannelMaxWord * ee::ChannelStepHz; // 819,175,000

    explicit TfrmRxChEdit(QWidget* parent = nullptr);
    ~TfrmRxChEdit() override;

    void SetEditMode(int mode);
    void FillChannelList(const std::vector<int>& numbers);
    void SetChannelData(const RX_CH_DATA_STRUCT& record, int channelNumber);
    // Stores the entered frequency and flags into record and returns the channel number;
    // -1, record untouched, when the frequency text is not a number.
    int GetChannelData(RX_CH_DATA_STRUCT& record);

    void FormShow();
    void btnOKClick();
    void btnCancelClick();
    void udFreqChangingEx(bool up);

    // To the nearest 12.5 kHz step (half a step up), then into 0 .. MaxFrequencyHz.
    static int RoundFrequency(int hz);
    static QString FormatFrequency(int hz); // "476.4250"

    unsigned char EditMode = ModeAdd;
    int ChannelNumber = ee::FirstRxChannel;
    int Frequency = 0;
    int Flags = 0;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The edit's text in whole Hz; an empty text is 0. False unless it is a plain decimal
    // number ("476.425"; a comma or anything else makes it invalid).
    bool ParseFrequency(int& hz) const;
    void DisplayFrequency(int hz);
    bool editFreqKeyPress(QKeyEvent* event);

    Ui::TfrmRxChEdit* ui;
};

extern TfrmRxChEdit* frmRxChEdit;
