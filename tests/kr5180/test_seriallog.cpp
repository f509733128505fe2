// The serial log window: a memo nothing writes to, with "Clear" and "Close".
#include "seriallog.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>

namespace {

TEST(SerialLog, ClearEmptiesTheMemoAndCloseHides)
{
    TformSerialLog log;
    EXPECT_EQ(log.windowTitle(), "Serial Log");
    auto* memo = log.findChild<QPlainTextEdit*>("memoSerialLog");
    EXPECT_FALSE(memo->isReadOnly());
    log.show();
    memo->setPlainText("line 1\nline 2");
    log.findChild<QPushButton*>("btnClear")->click();
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    log.findChild<QPushButton*>("btnClose")->click();
    EXPECT_FALSE(log.isVisible());
}

} // namespace
