// The "Channel Data" dialog: the receive-only channels 41 to 60 in use, in a grid, with
// Add, Edit and Delete (buttons and the grid's popup menu). It works on its own copy of
// the twenty channels; OK writes all twenty back.
#pragma once

#include "editor.h"

#include <QString>
#include <array>
#include <vector>

namespace Ui { class TfrmRxChData; }
class QMenu;
class QAction;
class TfrmRxChEdit;

struct COL_STRUCT {
    int width;
    QString caption;
};

class TfrmRxChData : public TImageEditor {
    Q_OBJECT
public:
    explicit TfrmRxChData(QWidget* parent = nullptr);
    ~TfrmRxChData() override;

    void SetImage(EEPROM* image) { Image = image; }
    // The add / edit dialog: frmRxChEdit unless set.
    TfrmRxChEdit* EditDialog = nullptr;

    void FormCreate();
    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void sgRxChEditMouseDown(const QPoint& globalPos);

    int ChannelCount = 0;
    COL_STRUCT Columns[5] = {};
    std::vector<RX_CH_DATA_STRUCT> Channels; // element i is channel 41 + i
    RX_CH_DATA_STRUCT NewChannel;            // what the next Add starts from
    // Scan memory 1, scan memory 2 and silent bits of channels 41..60 (bytes 69-71, 77-79, 93-95).
    std::array<std::uint8_t, 9> FlagBits{};

    QMenu* PopUpMenu = nullptr;

protected:
    void LoadControls() override;
    void StoreControls() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TfrmRxChEdit* editDialog() const;
    void SetupGrid();
    void SetColumns();
    void LoadChannels();
    void LoadChannel(int i, RX_CH_DATA_STRUCT& record);
    void StoreChannels();
    void StoreChannel(int i, const RX_CH_DATA_STRUCT& record);
    void RefreshGrid();
    void ShowChannelRow(int i, int row);
    int CountChannels() const;
    static QString FormatFrequency(int hz);
    void ClearChannel(int i);
    int SelectedChannel() const;

    Ui::TfrmRxChData* ui;
};

extern TfrmRxChData* frmRxChData;
