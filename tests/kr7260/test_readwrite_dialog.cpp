// The transfer dialog: what showing it starts, and the Cancel / Close button.
#include "kr72wire.h"
#include "radio_image.h"
#include "radio_rw.h"
#include "ser_com.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

TEST(TransferDialog, ShowStartsTheMachineAndTheButtonCancelsOrCloses)
{
    TfrmSerial link;
    TRadioImage image;
    TfrmReadWrite dlg;
    dlg.Attach(&link, &image);
    EXPECT_EQ(link.Transfer.load(), static_cast<TTransferCore*>(&dlg));
    EXPECT_TRUE(dlg.timer_rw->isActive());

    dlg.TransferMode = kr72state::TransferWrite;
    dlg.StartReplyWait();
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Writing to radio");
    EXPECT_EQ(dlg.lblAction->text(), "Writing data to radio.");
    EXPECT_EQ(dlg.btnCancel->text(), "Cancel");
    EXPECT_EQ(dlg.WriteState, kr72state::Start);
    EXPECT_FALSE(dlg.ReplyTimeLeft());
    EXPECT_TRUE(link.ReceiveEvent.wait(0)); // the first step is asked for at once

    dlg.btnCancel->click();
    EXPECT_TRUE(dlg.CancelRequested);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 2);
    EXPECT_EQ(dlg.TransferMode, kr72state::TransferWrite);

    // Once ended, the button reads "Close" and sets the mode back to 0.
    dlg.TransferMode = kr72state::TransferRead;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Reading from radio");
    EXPECT_EQ(dlg.ReadState, kr72state::Start);
    EXPECT_FALSE(dlg.CancelRequested);
    dlg.Finished = true;
    dlg.View->SetCancelCaption("Close");
    QApplication::processEvents();
    EXPECT_EQ(dlg.btnCancel->text(), "Close");
    dlg.btnCancel->click();
    EXPECT_EQ(dlg.TransferMode, kr72state::TransferIdle);
    EXPECT_FALSE(dlg.isVisible());

    // Esc acts as the button: a running transfer is cancelled, never left behind.
    dlg.TransferMode = kr72state::TransferRead;
    dlg.show();
    dlg.reject();
    EXPECT_TRUE(dlg.CancelRequested);
    EXPECT_FALSE(dlg.isVisible());
}

} // namespace
