#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/AppObject.h"
#include "app/TelvaraMain.h"
#include "resultlist/DesktopBrowser.h"

namespace {

// Without a display Qt's platform plugin fails with a fatal message about
// reinstalling the application and aborts, leaving a core file. While the
// platform starts, its messages are held back; a fatal one becomes one line
// that says what is missing, and status 1.
bool g_platformStarting = false;
QtMessageHandler g_previousHandler = nullptr;

struct HeldMessage {
  QtMsgType type;
  QByteArray file, function, category;
  int line;
  QString text;
};
std::vector<HeldMessage> g_held;

std::string ExplicitPlatform(int argc, char* argv[]) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) return argv[i + 1];
  return qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
}

std::string g_explicitPlatform;

std::string NoDisplayLine() {
  const QByteArray x11 = qgetenv("DISPLAY");
  const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
  std::string line = "telvara: ";
  if (!g_explicitPlatform.empty()) {
    line += "the display platform \"" + g_explicitPlatform + "\" could not be started";
  } else if (x11.isEmpty() && wayland.isEmpty()) {
    line += "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
  } else {
    line += "cannot open the display";
    if (!x11.isEmpty()) line += " DISPLAY=" + x11.toStdString();
    if (!wayland.isEmpty()) line += " WAYLAND_DISPLAY=" + wayland.toStdString();
    // Qt tried Wayland first and had no plugin for it: that, not the
    // compositor, is what stands in the way.
    const bool noWaylandPlugin = std::any_of(g_held.begin(), g_held.end(), [](const HeldMessage& m) {
      return m.text.contains(QLatin1String("Could not find")) && m.text.contains(QLatin1String("\"wayland"));
    });
    if (!wayland.isEmpty() && noWaylandPlugin)
      line += ": Qt's Wayland platform plugin is not installed (Debian package qt6-wayland)";
  }
  return line + "; to run without a display, start it with QT_QPA_PLATFORM=offscreen\n";
}

void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (!g_platformStarting) {
    g_previousHandler(type, context, text);
    return;
  }
  if (type == QtFatalMsg) {
    const std::string line = NoDisplayLine();
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
    _exit(1);
  }
  g_held.push_back({type, context.file, context.function, context.category, context.line, text});
}

// Around the creation of the application: the platform's own warnings reach
// the usual output only when it came up after all.
void StartPlatform() {
  g_previousHandler = qInstallMessageHandler(StartupMessageHandler);
  g_platformStarting = true;
}

void PlatformStarted() {
  g_platformStarting = false;
  for (const HeldMessage& m : g_held) {
    const QMessageLogContext context(m.file.constData(), m.line, m.function.constData(), m.category.constData());
    g_previousHandler(m.type, context, m.text);
  }
  g_held.clear();
  qInstallMessageHandler(g_previousHandler);
}

}  // namespace

int main(int argc, char* argv[]) {
  g_explicitPlatform = ExplicitPlatform(argc, argv);
  StartPlatform();
  QApplication application(argc, argv);
  PlatformStarted();
  telvara::DesktopApp app;
  telvara::DesktopBrowserFactory browsers;
  telvara::TelvaraMain window(app, browsers);
  window.show();
  return QApplication::exec();
}
