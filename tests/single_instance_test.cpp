// The real program, started as separate processes on the offscreen platform.
#include <gtest/gtest.h>

#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/AppObject.h"

namespace {

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    // Another Telvara of this user (a developer's) would hold the lock.
    QLocalServer probe;
    probe.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!probe.listen(telvara::DesktopApp::LockName())) GTEST_SKIP() << "Telvara is already running here";
    probe.close();
    ASSERT_TRUE(runtime.isValid());
  }
  std::unique_ptr<QProcess> Start() {
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    p->setProcessEnvironment(env);
    p->start(TELVARA_BINARY, {});
    return p;
  }
  static bool Held() {
    QLocalServer probe;
    probe.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    return !probe.listen(telvara::DesktopApp::LockName());
  }
  QTemporaryDir runtime;
};

TEST_F(SingleInstance, SecondStartEndsAtOnceAndTheFirstKeepsRunning) {
  auto first = Start();
  ASSERT_TRUE(first->waitForStarted());
  QTRY_VERIFY_WITH_TIMEOUT(Held(), 10000);
  auto second = Start();
  ASSERT_TRUE(second->waitForFinished(10000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_EQ(first->state(), QProcess::Running);

  // A crash releases the lock: the next start runs.
  first->kill();
  first->waitForFinished();
  auto third = Start();
  ASSERT_TRUE(third->waitForStarted());
  EXPECT_FALSE(third->waitForFinished(1500));
  EXPECT_EQ(third->state(), QProcess::Running);
  third->kill();
  third->waitForFinished();
}

TEST_F(SingleInstance, OfTwoStartedTogetherExactlyOneRuns) {
  auto a = Start();
  auto b = Start();
  ASSERT_TRUE(a->waitForStarted());
  ASSERT_TRUE(b->waitForStarted());
  QTest::qWait(2000);
  const int running = (a->state() == QProcess::Running) + (b->state() == QProcess::Running);
  EXPECT_EQ(running, 1);
  for (auto* p : {a.get(), b.get()}) {
    if (p->state() != QProcess::Running) {
      EXPECT_EQ(p->exitCode(), 0);
    }
    p->kill();
    p->waitForFinished();
  }
}

}  // namespace
