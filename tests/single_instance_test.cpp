// The real program, started as separate processes: one instance per user, and
// a clear end where there is no display.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <tuple>
#include <vector>

#include "app/AppObject.h"

namespace telvara {
std::vector<int> FillQueue(const QString& name);  // instance_lock_test.cpp
}

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
  QProcess* Start(const QStringList& args = {}, const QString& program = TELVARA_BINARY) {
    auto& p = started.emplace_back(std::make_unique<QProcess>());
    p->setProcessEnvironment(env);
    p->start(program, args);
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

// Later starts end at once, also while the holder takes no connection
// (stopped, its queue full); a crash releases the lock.
TEST_F(SingleInstance, ASecondStartEndsAtOnceEvenAgainstAStoppedHolderAndACrashReleasesTheLock) {
  QProcess* first = Start();
  ASSERT_TRUE(ComesUp(first)) << "the only instance ended by itself";
  EXPECT_TRUE(Ended(Start(), 0));
  EXPECT_TRUE(Held()) << "the first instance let go of the lock";
  EXPECT_TRUE(Running(first));
  ASSERT_EQ(kill(static_cast<pid_t>(first->processId()), SIGSTOP), 0);
  const std::vector<int> queued = telvara::FillQueue(telvara::DesktopApp::LockName());
  std::vector<QProcess*> later(8);
  for (QProcess*& p : later) p = Start();
  for (QProcess* p : later) EXPECT_TRUE(Ended(p, 0));
  for (int fd : queued) close(fd);

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

// Without a display the program says in one line what stands in the way and
// how to run headless, and ends with status 1 rather than an abort (and its core).
TEST_F(NoDisplay, EndsWithOneLineNamingTheCauseButExplicitPlatformsStart) {
  int n = 500 + getpid() % 400;  // clear of the numbers xvfb-run -a takes, from 99 up
  while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) ++n;
  const QString x11 = QStringLiteral(":%1").arg(n);
  // A Qt without its Wayland plugin: a copy of the program pointed at an empty plugin folder.
  const QString bare = runtime.filePath("telvara");
  QFile conf(runtime.filePath("qt.conf"));
  ASSERT_TRUE(QFile::copy(TELVARA_BINARY, bare) && conf.open(QIODevice::WriteOnly) &&
              conf.write("[Paths]\nPlugins=" + runtime.filePath("none").toUtf8() + "\n") > 0 && conf.flush());
  // The program, DISPLAY, WAYLAND_DISPLAY, and what its line names.
  const std::tuple<QString, QString, QString, QString> cases[] = {
      {TELVARA_BINARY, "", "", "neither DISPLAY nor WAYLAND_DISPLAY is set;"},
      {TELVARA_BINARY, x11, "", "cannot open the display DISPLAY=" + x11 + ";"},
      {TELVARA_BINARY, "", "telvara-none", "cannot open the display WAYLAND_DISPLAY=telvara-none;"},
      {bare, x11, "telvara-none", "WAYLAND_DISPLAY=telvara-none: Qt's Wayland platform plugin is not installed"},
  };
  for (const auto& [program, display, wayland, names] : cases) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    if (!display.isEmpty()) env.insert("DISPLAY", display);
    if (!wayland.isEmpty()) env.insert("WAYLAND_DISPLAY", wayland);
    QProcess* p = Start({}, program);
    ASSERT_TRUE(Ended(p, 1)) << names.toStdString();
    const QString err = p->readAllStandardError();
    EXPECT_TRUE(err.count('\n') == 1 && err.endsWith('\n') && err.contains(names) &&
                err.contains("QT_QPA_PLATFORM=offscreen"))
        << err.toStdString();
  }
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
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
