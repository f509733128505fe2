// Test entry: one offscreen application object per test program, in folders of its own.
#include "support/environment.h"

#include <platform/formrules.h>

#include <gtest/gtest.h>
#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testsupport::TestEnvironment environment;
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    platform::InstallFormRules(); // as the programs' application object does
    return RUN_ALL_TESTS();
}
