// Shared set-up for the KR7260 window tests: a private settings folder, runtime folder
// and working directory for each test, put back when the test ends, and COM ports.
#pragma once

#include "support/environment.h"
#include "support/pty.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace k7test {

using testsupport::ScopedEnv;

// tmp_ holds config/ (XDG_CONFIG_HOME), run/ (XDG_RUNTIME_DIR) and work/, the current
// directory; closing the last window does not quit. A derived SetUp calls this one first
// and returns on HasFatalFailure(); a derived TearDown calls this one to leave work/.
class PrivateFoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp_.isValid());
        for (const char* d : {"config", "run", "work"})
            QDir(tmp_.path()).mkpath(d);
        QFile::setPermissions(tmp_.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        config_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", tmp_.filePath("config").toLocal8Bit());
        runtime_ = std::make_unique<ScopedEnv>("XDG_RUNTIME_DIR", tmp_.filePath("run").toLocal8Bit());
        oldCwd_ = QDir::currentPath();
        QDir::setCurrent(tmp_.filePath("work"));
        qApp->setQuitOnLastWindowClosed(false);
    }

    void TearDown() override
    {
        maps_.clear();
        ptys_.clear();
        QDir::setCurrent(oldCwd_);
    }

    // COMn reaches a fresh pty, or a path that does not exist.
    testsupport::PtyPair& MapPty(int n)
    {
        ptys_.push_back(std::make_unique<testsupport::PtyPair>());
        maps_.push_back(std::make_unique<testsupport::ComMapping>(n, ptys_.back()->slavePath()));
        return *ptys_.back();
    }
    void MapMissing(int n)
    {
        maps_.push_back(std::make_unique<testsupport::ComMapping>(n, tmp_.filePath("no-such-tty").toStdString()));
    }

    QTemporaryDir tmp_;
    QString oldCwd_;
    std::unique_ptr<ScopedEnv> config_, runtime_;
    std::vector<std::unique_ptr<testsupport::PtyPair>> ptys_;
    std::vector<std::unique_ptr<testsupport::ComMapping>> maps_;
};

} // namespace k7test
