// The real program, started as separate processes on the offscreen platform.
#include <gtest/gtest.h>

#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/AppObject.h"

namespace {

constexpr int kDeadline = 10000;  // ms; a start takes well under a second

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime.isValid());
    ASSERT_FALSE(Held()) << "another Telvara of this user holds the lock: close it to run these tests";
  }
  void TearDown() override {
    for (auto& p : started) {
      p->kill();
      p->waitForFinished();
    }
  }
  QProcess* Start() {
    auto& p = started.emplace_back(std::make_unique<QProcess>());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    p->setProcessEnvironment(env);
    p->start(TELVARA_BINARY, {});
    EXPECT_TRUE(p->waitForStarted(kDeadline));
    return p.get();
  }
  // Whether some process holds the lock: then this one cannot take it.
  static bool Held() {
    QLocalServer probe;
    probe.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    return !probe.listen(telvara::DesktopApp::LockName());
  }
  static bool Running(QProcess* p) { return p->state() == QProcess::Running; }
  static bool EndedWellAtOnce(QProcess* p) {
    return (p->state() == QProcess::NotRunning || p->waitForFinished(kDeadline)) && p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
  }
  QTemporaryDir runtime;
  std::vector<std::unique_ptr<QProcess>> started;
};

TEST_F(SingleInstance, ASecondStartEndsAtOnceAndACrashReleasesTheLock) {
  QProcess* first = Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Held() || !Running(first); }, kDeadline));
  ASSERT_TRUE(Running(first)) << "the only instance ended by itself";
  ASSERT_TRUE(Held());
  EXPECT_TRUE(EndedWellAtOnce(Start()));
  EXPECT_TRUE(Held()) << "the first instance let go of the lock";
  EXPECT_TRUE(Running(first));

  first->kill();
  ASSERT_TRUE(first->waitForFinished(kDeadline));
  QProcess* third = Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Held() || !Running(third); }, kDeadline));
  EXPECT_TRUE(Running(third)) << "the start after a crash ended";
}

TEST_F(SingleInstance, OfTwoStartedTogetherExactlyOneRuns) {
  QProcess* a = Start();
  QProcess* b = Start();
  // The loser ends as soon as it sees the winner's lock.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Running(a) || !Running(b); }, kDeadline));
  QProcess* loser = Running(a) ? b : a;
  EXPECT_TRUE(EndedWellAtOnce(loser));
  EXPECT_TRUE(Running(loser == a ? b : a));
  EXPECT_TRUE(Held());
}

}  // namespace
