// The "Engineering Options" dialog (engineering build): CTCSS on channels 5 and 35 and
// transmit on the receive-only channels 41 to 60.
#pragma once

#include "editor.h"

namespace Ui { class TfrmEngOptions; }

class TfrmEngOptions : public TImageEditor {
    Q_OBJECT
public:
    explicit TfrmEngOptions(QWidget* parent = nullptr);
    ~TfrmEngOptions() override;

private:
    Ui::TfrmEngOptions* ui;
};

extern TfrmEngOptions* frmEngOptions;
