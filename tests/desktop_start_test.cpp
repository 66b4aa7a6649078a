// Start-up without a display, run as the real program.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome {
  bool finished;
  QProcess::ExitStatus status;
  int code;
  QString err;
};

Outcome Start(const QProcessEnvironment& env, const QStringList& args, int waitMs) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(TELVARA_BINARY, args);
  const bool finished = p.waitForStarted() && p.waitForFinished(waitMs);
  if (!finished) {
    p.kill();
    p.waitForFinished();
  }
  return {finished, p.exitStatus(), p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

class NoDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime.isValid());
    env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    env.insert("XDG_RUNTIME_DIR", runtime.path());
  }
  static void ExpectOneClearLine(const Outcome& o, const QString& names) {
    ASSERT_TRUE(o.finished);
    EXPECT_EQ(o.status, QProcess::NormalExit);  // no abort, so no core file
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.err.count('\n'), 1) << o.err.toStdString();
    EXPECT_TRUE(o.err.endsWith('\n'));
    EXPECT_TRUE(o.err.contains(names)) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains("QT_QPA_PLATFORM=offscreen")) << o.err.toStdString();
  }
  QTemporaryDir runtime;
  QProcessEnvironment env;
};

TEST_F(NoDisplay, NoDisplaySetEndsWithOneLineAndStatusOne) {
  ExpectOneClearLine(Start(env, {}, 20000), "DISPLAY");
}

TEST_F(NoDisplay, UnreachableDisplayEndsWithOneLineAndStatusOne) {
  int n = 99;
  while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
         QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
    ++n;
  env.insert("DISPLAY", QStringLiteral(":%1").arg(n));
  ExpectOneClearLine(Start(env, {}, 20000), QStringLiteral("DISPLAY=:%1").arg(n));
}

TEST_F(NoDisplay, ExplicitPlatformsStillStart) {
  const Outcome byOption = Start(env, {"-platform", "offscreen"}, 1500);
  EXPECT_FALSE(byOption.finished) << byOption.err.toStdString();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  const Outcome byVariable = Start(env, {}, 1500);
  EXPECT_FALSE(byVariable.finished) << byVariable.err.toStdString();
}

}  // namespace
