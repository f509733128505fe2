// The small modeless window with a progress bar that the radio transfers show.
#pragma once

#include "transfer.h"

#include <QDialog>

namespace Ui { class TfrmProgress; }
class QProgressBar;

class TfrmProgress : public QDialog, public TTransferProgress {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);
    ~TfrmProgress() override;

    int Position() const;
    QProgressBar* Bar() const;

    // The window's own operations: caption; range with the position at the minimum;
    // position + n.
    void SetTitle(const QString& title);
    void SetRange(int min, int max);
    void StepBy(int n);

    // A transfer's progress: title and range 0..max at 0, then shown; a step; closed.
    void Begin(const char* title, int max) override;
    void Step(int n) override;
    void End() override;

private:
    // Shows the window and paints it at once; the caller then blocks in radio exchanges.
    void ShowNow();
    // Paints the window at once, without handling any user input.
    void PaintNow();

    Ui::TfrmProgress* ui;
};

extern TfrmProgress* frmProgress;
