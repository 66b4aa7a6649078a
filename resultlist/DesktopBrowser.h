#pragma once
#include <QString>

#include "resultlist/WebLookup.h"

namespace telvara {

// Opens addresses in the user's default browser through the desktop's URL
// opener, started detached with the address as its one argument and no shell.
// The address is handed over exactly as built: going through QUrl would turn
// "%8E%44" into "%8ED".
class DesktopBrowserFactory : public BrowserFactory {
 public:
  explicit DesktopBrowserFactory(QString opener = QStringLiteral("xdg-open"));
  std::unique_ptr<Browser> Create() override;

 private:
  QString opener_;
};

}  // namespace telvara
