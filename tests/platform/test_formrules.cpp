// The form-library rules every window gets: which push button Enter presses, and
// stay-on-top windows stepping back for modal ones.
#include <gtest/gtest.h>

#include <platform/formrules.h>

#include "support/dialogs.h"
#include "support/focus.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

using testsupport::ModalHandler;

namespace {

// A dialog as the forms build them: a scroll bar, then an action button, OK and Cancel.
struct Form : QDialog {
    QScrollBar* bar = new QScrollBar(Qt::Horizontal, this);
    QCheckBox* check = new QCheckBox("Option", this);
    QPushButton* action = new QPushButton("Set", this);
    QPushButton* ok = new QPushButton("OK", this);
    QPushButton* cancel = new QPushButton("Cancel", this);
    int actions = 0;

    Form()
    {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w : {static_cast<QWidget*>(bar), static_cast<QWidget*>(check), static_cast<QWidget*>(action),
                           static_cast<QWidget*>(ok), static_cast<QWidget*>(cancel)})
            layout->addWidget(w);
        bar->setFocusPolicy(Qt::StrongFocus);
        connect(action, &QPushButton::clicked, [this] { ++actions; });
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }

    // Enter on w; the dialog's result then, or -1 when it is still open.
    int Enter(QWidget* w)
    {
        setResult(-1);
        testsupport::PressEnter(w);
        return isVisible() ? -1 : result();
    }
};

} // namespace

TEST(EnterKey, PressesOnlyTheFocusedButtonOrTheMarkedDefault)
{
    Form form;
    form.show();

    // No default marked: Enter elsewhere presses nothing, however the focus moved.
    for (QWidget* w : {static_cast<QWidget*>(form.bar), static_cast<QWidget*>(form.check)})
        EXPECT_EQ(form.Enter(w), -1) << w->metaObject()->className();
    form.Enter(form.action);
    EXPECT_EQ(form.actions, 1);
    EXPECT_EQ(form.Enter(form.check), -1); // the last focused button is no default either
    EXPECT_EQ(form.actions, 1);
    EXPECT_EQ(form.Enter(form.cancel), QDialog::Rejected);

    // Marked default: Enter on another control presses it, a focused button still wins.
    form.cancel->setDefault(true);
    form.show();
    EXPECT_EQ(form.Enter(form.bar), QDialog::Rejected);
    form.show();
    EXPECT_EQ(form.Enter(form.ok), QDialog::Accepted);

}

TEST(EnterKey, MessageBoxesKeepTheirDefaultButton)
{
    QMessageBox box(QMessageBox::Warning, "Warning", "Go on?", QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    ModalHandler enter([](QWidget* w) { testsupport::PressEnter(w); });
    EXPECT_EQ(box.exec(), QMessageBox::Ok);
}

TEST(StayOnTop, OnTopWindowsStepBackWhileAModalWindowIsUp)
{
    QDialog monitor(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    monitor.show();
    ASSERT_TRUE(platform::StaysOnTop(&monitor));

    // A modal window that stays on top itself keeps that; the others step back.
    QDialog box(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    box.setModal(true);
    box.show();
    EXPECT_TRUE(platform::StaysOnTop(&box));
    EXPECT_FALSE(platform::StaysOnTop(&monitor));
    box.hide();
    EXPECT_TRUE(platform::StaysOnTop(&monitor));

    // A stay-on-top window shown while a modal one is up steps back at once.
    monitor.hide();
    box.show();
    monitor.show();
    EXPECT_FALSE(platform::StaysOnTop(&monitor));
    box.hide();
    EXPECT_TRUE(platform::StaysOnTop(&monitor));
}
