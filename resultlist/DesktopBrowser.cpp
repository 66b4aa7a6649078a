#include "resultlist/DesktopBrowser.h"

#include <QProcess>
#include <QStandardPaths>
#include <stdexcept>

#include "resultlist/QtText.h"

namespace telvara {
namespace {

class DesktopBrowser : public Browser {
 public:
  explicit DesktopBrowser(QString program) : program_(std::move(program)) {}

  void Navigate2(const std::u16string& address) override {
    // Returns at once; the browser outlives this program.
    if (!QProcess::startDetached(program_, {ToQString(address)}))
      throw std::runtime_error("the URL opener did not start");
  }
  // The desktop's browser is always shown in a window of its own.
  void SetVisible(bool) override {}
  // Desktop browsers expose no status bar to other programs: the text is
  // accepted and goes nowhere.
  void SetStatusText(const std::u16string&) override {}
  void Release() override {}

 private:
  QString program_;
};

}  // namespace

DesktopBrowserFactory::DesktopBrowserFactory(QString opener) : opener_(std::move(opener)) {}

std::unique_ptr<Browser> DesktopBrowserFactory::Create() {
  const QString program = QStandardPaths::findExecutable(opener_);
  if (program.isEmpty()) throw std::runtime_error("no URL opener on this system");
  return std::make_unique<DesktopBrowser>(program);
}

}  // namespace telvara
