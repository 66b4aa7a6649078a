// The real program, started as separate processes: one instance per user, and
// a clear end where there is no display.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/AppObject.h"

namespace {

constexpr int kDeadline = 10000;  // ms; a start takes well under a second

class RealProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime.isValid());
    ASSERT_FALSE(Held()) << "another Telvara of this user holds the lock: close it to run these tests";
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
  }
  void TearDown() override {
    for (auto& p : started) {
      p->kill();
      p->waitForFinished();
    }
  }
  QProcess* Start(const QStringList& args = {}) {
    auto& p = started.emplace_back(std::make_unique<QProcess>());
    p->setProcessEnvironment(env);
    p->start(TELVARA_BINARY, args);
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
  static bool Ended(QProcess* p, int status) {
    return (p->state() == QProcess::NotRunning || p->waitForFinished(kDeadline)) &&
           p->exitStatus() == QProcess::NormalExit && p->exitCode() == status;
  }
  // Started, it comes up as the first instance: it takes the lock and keeps running.
  bool ComesUp(QProcess* p) { return QTest::qWaitFor([&] { return Held() || !Running(p); }, kDeadline) && Running(p); }

  QTemporaryDir runtime;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  std::vector<std::unique_ptr<QProcess>> started;
};

using SingleInstance = RealProgram;

TEST_F(SingleInstance, ASecondStartEndsAtOnceAndACrashReleasesTheLock) {
  QProcess* first = Start();
  ASSERT_TRUE(ComesUp(first)) << "the only instance ended by itself";
  EXPECT_TRUE(Ended(Start(), 0));
  EXPECT_TRUE(Held()) << "the first instance let go of the lock";
  EXPECT_TRUE(Running(first));

  first->kill();
  ASSERT_TRUE(first->waitForFinished(kDeadline));
  EXPECT_TRUE(ComesUp(Start())) << "the start after a crash ended";
}

TEST_F(SingleInstance, OfTwoStartedTogetherExactlyOneRuns) {
  QProcess* a = Start();
  QProcess* b = Start();
  // The loser ends as soon as it sees the winner's lock.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Running(a) || !Running(b); }, kDeadline));
  QProcess* loser = Running(a) ? b : a;
  EXPECT_TRUE(Ended(loser, 0));
  EXPECT_TRUE(Running(loser == a ? b : a));
  EXPECT_TRUE(Held());
}

using NoDisplay = RealProgram;

// Without a display the program says in one line what is missing and how to
// run headless, and ends with status 1 rather than an abort (and its core).
TEST_F(NoDisplay, EndsWithOneClearLineAndStatusOneButExplicitPlatformsStart) {
  int n = 99;
  while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) ++n;
  for (const QString& display : {QString(), QStringLiteral(":%1").arg(n)}) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    if (!display.isEmpty()) env.insert("DISPLAY", display);
    QProcess* p = Start();
    ASSERT_TRUE(Ended(p, 1)) << display.toStdString();
    const QString err = QString::fromLocal8Bit(p->readAllStandardError());
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.endsWith('\n') && err.contains("DISPLAY" + (display.isEmpty() ? "" : "=" + display)) &&
                err.contains("QT_QPA_PLATFORM=offscreen"))
        << err.toStdString();
  }
  env.remove("DISPLAY");
  EXPECT_TRUE(ComesUp(Start({"-platform", "offscreen"})));
}

// The icon compiled into the program reaches the window manager: on a virtual
// X server the window carries it in _NET_WM_ICON.
TEST_F(RealProgram, TheWindowCarriesItsIconOnX11) {
  QProcess& xvfb = *started.emplace_back(std::make_unique<QProcess>());  // says its display once ready
  xvfb.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp"});
  ASSERT_TRUE(QTest::qWaitFor([&] { return xvfb.canReadLine(); }, kDeadline)) << "Xvfb did not start";
  env.insert("DISPLAY", ":" + xvfb.readLine().trimmed());
  ASSERT_TRUE(ComesUp(Start({"-platform", "xcb"})));
  QProcess xprop;  // the window's class is the program's name
  xprop.setProcessEnvironment(env);
  const QString script = R"sh(xprop -id "$(xwininfo -root -tree | awk '/"telvara" "telvara"\) +658x453/ {print $1}')" _NET_WM_ICON)sh";
  QString icon;
  EXPECT_TRUE(QTest::qWaitFor([&] {
    xprop.start("sh", {"-c", script});
    icon = xprop.waitForFinished(kDeadline) ? xprop.readAllStandardOutput() : "";
    return icon.contains("Icon (32 x 32)");
  }, kDeadline)) << icon.toStdString();
}

}  // namespace
