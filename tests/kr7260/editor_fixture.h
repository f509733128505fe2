// Editor fixture for the KR7260 windows: an editor shown on a private image, OK, Cancel
// or the close box pressed, and the image compared word by word.
#pragma once

#include "editor.h"
#include "radio_image.h"

#include "support/dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

namespace k7test {

class EditorTest : public ::testing::Test {
protected:
    enum class Press { OK, Cancel, CloseBox };

    // Every word a distinct 16-bit pattern, so a stray store shows.
    void FillPattern(std::uint32_t seed = 0x5A5A)
    {
        for (int w = 0; w < kr72map::WordCount; ++w)
            image.Set(w, std::int32_t((seed * 2654435761u + std::uint32_t(w) * 40503u) >> 8) & 0xFFFF);
    }

    // Shows the editor on `image` (its load runs), lets act work on its controls, then
    // presses a button; the window is closed afterwards whatever act did.
    void Show(TEditorForm& editor) { editor.Image = &image; editor.show(); QApplication::processEvents(); }
    void Finish(TEditorForm& editor, Press press, const char* okName = "OKBtn", const char* cancelName = "CancelBtn")
    {
        switch (press) {
        case Press::OK: Button(editor, okName)->click(); break;
        case Press::Cancel: Button(editor, cancelName)->click(); break;
        case Press::CloseBox: editor.close(); break;
        }
        QApplication::processEvents();
    }
    void Run(TEditorForm& editor, const std::function<void()>& act, Press press)
    {
        Show(editor);
        if (act)
            act();
        Finish(editor, press);
        if (editor.isVisible())
            editor.hide();
    }
    static QAbstractButton* Button(QWidget& window, const char* name)
    {
        auto* b = window.findChild<QAbstractButton*>(name);
        EXPECT_NE(b, nullptr) << name;
        return b;
    }

    // Tab pressed on control, in its active window: the widget that has the focus then.
    static QWidget* TabFrom(QWidget* control)
    {
        QWidget* window = control->window();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        control->setFocus();
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
        return QApplication::focusWidget();
    }

    // The words that differ from `before`.
    std::vector<int> Changed(const TRadioImage::Words& before) const
    {
        const TRadioImage::Words now = image.Snapshot();
        std::vector<int> words;
        for (int w = 0; w < kr72map::WordCount; ++w)
            if (now[w] != before[w])
                words.push_back(w);
        return words;
    }

    TRadioImage image;
};

// Tab walks the window; each control that takes the focus is noted.
inline std::set<QWidget*> TabThrough(QWidget& window, QWidget* first)
{
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    first->setFocus(Qt::TabFocusReason);
    std::set<QWidget*> reached;
    for (int i = 0; i < 60 && QApplication::focusWidget(); ++i) {
        reached.insert(QApplication::focusWidget());
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
    }
    return reached;
}

} // namespace k7test
