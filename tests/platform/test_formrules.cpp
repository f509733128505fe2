// The form-library rules every window gets: which push button Enter presses, and
// stay-on-top windows stepping back for modal ones.
#include <gtest/gtest.h>

#include <platform/formrules.h>

#include "support/dialogs.h"
#include "support/focus.h"

#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

TEST(EnterKey, PressesOnlyTheFocusedButtonOrTheMarkedDefault)
{
    // As the forms build them: a scroll bar, an action button, then OK and Cancel.
    QDialog form;
    auto* layout = new QVBoxLayout(&form);
    auto* bar = new QScrollBar(Qt::Horizontal);
    bar->setFocusPolicy(Qt::StrongFocus);
    auto* action = new QPushButton("Set");
    auto* ok = new QPushButton("OK");
    auto* cancel = new QPushButton("Cancel");
    for (QWidget* w : std::initializer_list<QWidget*>{bar, action, ok, cancel})
        layout->addWidget(w);
    int actions = 0;
    QObject::connect(action, &QPushButton::clicked, [&] { ++actions; });
    QObject::connect(ok, &QPushButton::clicked, &form, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &form, &QDialog::reject);
    auto enter = [&](QWidget* w) { // the dialog's result, or -1 while it stays open
        form.show();
        form.setResult(-1);
        testsupport::PressEnter(w);
        return form.isVisible() ? -1 : form.result();
    };

    // No default marked: Enter on a control presses nothing, on a button that button.
    EXPECT_EQ(enter(bar), -1);
    EXPECT_EQ(enter(action), -1);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(enter(bar), -1); // the button last focused did not become the default
    EXPECT_EQ(enter(cancel), QDialog::Rejected);
    // Marked default: Enter on a control presses it, a focused button still wins.
    cancel->setDefault(true);
    EXPECT_EQ(enter(bar), QDialog::Rejected);
    EXPECT_EQ(enter(ok), QDialog::Accepted);
    EXPECT_EQ(actions, 1);

    // Message boxes keep Qt's own default button, also where none is marked.
    QMessageBox ask(QMessageBox::Question, "Question", "Save?", QMessageBox::Yes | QMessageBox::No);
    testsupport::ModalHandler answer([](QWidget* w) { testsupport::PressEnter(w); });
    EXPECT_EQ(ask.exec(), QMessageBox::Yes);
}

TEST(StayOnTop, OnTopWindowsStepBackWhileAModalWindowIsUp)
{
    // A modal window that stays on top itself keeps that; the others step back, also
    // one shown while it is up, and are on top again once it has gone.
    QDialog monitor(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    QDialog box(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    box.setModal(true);
    box.show();
    monitor.show();
    EXPECT_TRUE(platform::StaysOnTop(&box));
    EXPECT_FALSE(platform::StaysOnTop(&monitor));
    box.hide();
    EXPECT_TRUE(platform::StaysOnTop(&monitor));
    // A modeless window marked to show above them (a progress window) counts as modal.
    QDialog progress;
    platform::ShowAboveOnTop(&progress);
    progress.show();
    EXPECT_FALSE(platform::StaysOnTop(&monitor));
    progress.hide();
    EXPECT_TRUE(platform::StaysOnTop(&monitor));
}
