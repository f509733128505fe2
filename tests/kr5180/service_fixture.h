// Shared set-up for the service windows that talk to the radio: a simulated radio on
// COM1, the serial port open on it, a command object over a private image, and every
// message box answered by the test.
#pragma once

#include "eeprom.h"
#include "radio.h"
#include "serialport.h"

#include "support/dialogs.h"
#include "support/focus.h"
#include "support/kr5180_sim.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <memory>
#include <vector>

namespace k5test {

using testsupport::Bytes;

class ServiceWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mapping = std::make_unique<testsupport::ComMapping>(1, sim.slavePath());
        serialPort = new SerialPort;
        ASSERT_TRUE(serialPort->SerialPortOpen("COM1", 9600));
    }

    void TearDown() override
    {
        delete serialPort;
        serialPort = nullptr;
    }

    // The requests since the last call, as the radio received them.
    std::vector<Bytes> sent()
    {
        std::vector<Bytes> r = sim.requests();
        sim.clearLog();
        return r;
    }

    static void press(QWidget* w, Qt::MouseButton button = Qt::LeftButton)
    {
        ASSERT_NE(w, nullptr);
        testsupport::MousePress(w, button);
    }
    static void release(QWidget* w, Qt::MouseButton button = Qt::LeftButton)
    {
        ASSERT_NE(w, nullptr);
        testsupport::MouseRelease(w, button);
    }

    testsupport::Kr5180Sim sim;
    std::unique_ptr<testsupport::ComMapping> mapping;
    testsupport::MessageBoxResponder boxes;
    EEPROM image;
    KR5100 radio{&image};
};

} // namespace k5test
