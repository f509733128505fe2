// Editor fixture for the KR5180 windows: the shared memory image filled with a pattern,
// an editor shown on it, OK, Cancel or the close box pressed, and the image compared
// byte by byte.
#pragma once

#include "eeprom.h"

#include "support/dialogs.h"
#include "support/focus.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace k5test {

class EditorTest : public ::testing::Test {
protected:
    enum class Press { OK, Cancel, CloseBox };
    using Bytes = std::vector<std::uint8_t>;

    void SetUp() override
    {
        previous_ = eepromImage;
        eepromImage = &image;
        FillPattern();
    }
    void TearDown() override { eepromImage = previous_; }

    // Every byte a distinct value, so a stray store shows.
    void FillPattern(int seed = 0x35)
    {
        for (int a = 0; a < ee::ImageSize; ++a)
            image.SetByte(a, (a * 37 + seed) & 0xFF);
    }
    Bytes Snapshot()
    {
        Bytes b(ee::ImageSize);
        image.CopyOut(0, b.data(), ee::ImageSize);
        return b;
    }
    // The addresses whose byte differs from `before`.
    std::vector<int> Changed(const Bytes& before)
    {
        const Bytes now = Snapshot();
        std::vector<int> addresses;
        for (int a = 0; a < ee::ImageSize; ++a)
            if (now[a] != before[a])
                addresses.push_back(a);
        return addresses;
    }

    void Show(QWidget& window) { window.show(); QApplication::processEvents(); }
    void Finish(QWidget& window, Press press, const char* okName = "OKBtn", const char* cancelName = "CancelBtn")
    {
        switch (press) {
        case Press::OK: Button(window, okName)->click(); break;
        case Press::Cancel: Button(window, cancelName)->click(); break;
        case Press::CloseBox: window.close(); break;
        }
        QApplication::processEvents();
    }
    // Shows the window (its load runs), lets act work on its controls, presses a button.
    // okName / cancelName: the window's own button names.
    void Run(QWidget& window, const std::function<void()>& act, Press press, const char* okName = "OKBtn",
             const char* cancelName = "CancelBtn")
    {
        Show(window);
        if (act)
            act();
        Finish(window, press, okName, cancelName);
        if (window.isVisible())
            window.hide();
    }
    // Cancel, then the close box, each after act: the image stays as it was.
    void ExpectCancelKeepsImage(QWidget& window, const std::function<void()>& act, const char* okName = "OKBtn",
                                const char* cancelName = "CancelBtn")
    {
        const Bytes before = Snapshot();
        for (Press press : {Press::Cancel, Press::CloseBox}) {
            Run(window, act, press, okName, cancelName);
            EXPECT_TRUE(Changed(before).empty()) << (press == Press::Cancel ? "Cancel" : "close box");
        }
    }
    static void MouseMove(QWidget* w) { testsupport::MouseMove(w); }

    static QStringList TabChain(QWidget& window) { return testsupport::TabChain(window); }
    // Each name is in the chain, before the next one.
    static void ExpectInOrder(const QStringList& chain, std::initializer_list<const char*> order)
    {
        const auto at = [&](const char* name) { return chain.indexOf(QString::fromLatin1(name)); };
        for (auto name = order.begin(); name + 1 < order.end(); ++name) {
            ASSERT_GE(at(*name), 0) << *name;
            EXPECT_LT(at(*name), at(name[1])) << *name << " before " << name[1];
        }
    }

    // A control of the window by its object name (the test fails when it is missing).
    template <class T>
    static T* Child(QWidget& window, const char* name)
    {
        T* c = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void SetWord(int address, int value) { image.SetWord(address, value); }
    // Receive-only channels 41..60 all out of use, as 0 or as the erased 0xFFFF.
    void NoRxChannels()
    {
        for (int c = 41; c <= 60; ++c)
            SetWord(216 + 2 * (c - 41), c % 2 ? 0xFFFF : 0);
    }
    int Byte(int address) { return image.GetByte(address); }

    static QAbstractButton* Button(QWidget& window, const char* name)
    {
        auto* b = window.findChild<QAbstractButton*>(name);
        EXPECT_NE(b, nullptr) << name;
        return b;
    }

    EEPROM image{ee::ImageSize};

private:
    EEPROM* previous_ = nullptr;
};

} // namespace k5test
