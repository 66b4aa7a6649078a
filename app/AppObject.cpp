#include "app/AppObject.h"

#include <unistd.h>

#include <cstdlib>

#include "Version.h"

namespace telvara {

int AppServices::Major() const { return kVersionMajor; }
int AppServices::Minor() const { return kVersionMinor; }
int AppServices::Revision() const { return kVersionRevision; }

QString DesktopApp::LockName() {
  // Abstract names are shared by all users of the machine: the user id keeps
  // one user's instance from blocking another's.
  return QStringLiteral("telvara-instance-%1").arg(getuid());
}

DesktopApp::DesktopApp() {
  lock_.setSocketOptions(QLocalServer::AbstractNamespaceOption);
  if (!lock_.listen(LockName()))
    prevInstance_ = lock_.serverError() == QAbstractSocket::AddressInUseError;
}

void DesktopApp::End() { std::_Exit(0); }

}  // namespace telvara
