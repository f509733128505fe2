// The channel data window: lists the spare receive channels 41 to 60 that exist and
// adds, edits and deletes them (their frequency and open scan, group scan and quiet
// memory bits), straight in the image; Cancel takes it all back.
#pragma once

#include "editor.h"

namespace Ui { class TfrmChannelData; }
class QPushButton;
class QTableWidget;
class TfrmChannelSelect;
class TfrmEditChannel2;

class TfrmChannelData : public TEditorForm {
    Q_OBJECT
public:
    // select and edit are the pick list and the channel editor it opens.
    TfrmChannelData(QWidget* parent, TfrmChannelSelect* select, TfrmEditChannel2* edit);
    ~TfrmChannelData() override;

    // Spare channel index (number - 41) of the row last picked; 0 also means no row is
    // to be picked again when the grid is refilled.
    int SelectedIndex = 0;

    void SetupChannelGrid();
    void FillChannelGrid();
    void btnNewChannelClick();
    void btnEditChannelClick();
    void btnDeleteChannelClick();
    void listChannelClick();

    QTableWidget* listChannel;
    QPushButton* btnNewChannel;
    QPushButton* btnEditChannel;
    QPushButton* btnDeleteChannel;
    QTextEdit* HelpText;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void LoadControls() override;

private:
    // The channel number in the current row's number cell; 0 when the cell is empty.
    int CurrentNumber() const;
    void EditChannel(int number);

    Ui::TfrmChannelData* ui;
    TfrmChannelSelect* select_;
    TfrmEditChannel2* edit_;
    bool filling_ = false;
};

extern TfrmChannelData* frmChannelData;
