// The firmware box: emptied at each showing; it takes the radio notification.
#include "firmware.h"
#include "radionotify.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace {

TEST(Firmware, ShowingEmptiesTheFourLinesAndTheNotificationIsTaken)
{
    TfrmFirmware box;
    EXPECT_EQ(box.windowTitle(), "Firmware Version");
    for (int i = 1; i <= 4; ++i)
        box.findChild<QLabel*>(QStringLiteral("lblLine%1").arg(i))->setText("old");
    box.show();
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(box.findChild<QLabel*>(QStringLiteral("lblLine%1").arg(i))->text().isEmpty());
    TRadioNotifyEvent notify(0x26, 0);
    EXPECT_TRUE(QApplication::sendEvent(&box, &notify));
    box.findChild<QPushButton*>("btnOK")->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

} // namespace
