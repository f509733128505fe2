// Editor fixture for the KR7260 windows: an editor shown on a private image, OK, Cancel
// or the close box pressed, and the image compared word by word.
#pragma once

#include "editor.h"
#include "radio_image.h"

#include "support/dialogs.h"
#include "support/focus.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>

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

    static QWidget* TabFrom(QWidget* control) { return testsupport::TabFrom(control); }

    static void MouseMove(QWidget* w) { testsupport::MouseMove(w); }

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

using testsupport::TabThrough;

} // namespace k7test
