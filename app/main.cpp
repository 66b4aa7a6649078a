#include <QApplication>

#include "app/AppObject.h"
#include "app/TelvaraMain.h"
#include "resultlist/DesktopBrowser.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  telvara::DesktopApp app;
  telvara::DesktopBrowserFactory browsers;
  telvara::TelvaraMain window(app, browsers);
  window.show();
  return QApplication::exec();
}
