#include "app/AppObject.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalSocket>
#include <array>
#include <cerrno>
#include <cstdlib>

#include "Version.h"

namespace telvara {

int AppServices::Major() const { return kVersionMajor; }
int AppServices::Minor() const { return kVersionMinor; }
int AppServices::Revision() const { return kVersionRevision; }

QString InstanceLock::Name(uid_t user, int index) {
  return QString::fromStdString(InstanceName(static_cast<unsigned>(user), index));
}

NameHolder InstanceLock::HolderOf(const QString& name, uid_t user, pid_t* peerPid) {
  sockaddr_un address;
  const socklen_t length = AbstractAddress(name.toStdString(), address);
  if (length == 0) return NameHolder::OtherUser;

  // Non-blocking, so that a holder that never accepts cannot stall the start.
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return NameHolder::OtherUser;
  NameHolder holder = NameHolder::OtherUser;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0) {
      if (peer.uid == user) holder = NameHolder::SameUser;
      if (peerPid) *peerPid = peer.pid;
    }
  } else if (errno == ECONNREFUSED || errno == ENOENT) {
    holder = NameHolder::Nobody;  // the holder went away in between
  }
  close(fd);
  return holder;
}

InstanceLock::InstanceLock(uid_t user)
    : InstanceLock(user, [user](const QString& name) { return HolderOf(name, user); }) {}

InstanceLock::InstanceLock(uid_t user, const Probe& probe) {
  server_.setSocketOptions(QLocalServer::AbstractNamespaceOption);
  // Probes of later starts connect here; drop them at once.
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* peer = server_.nextPendingConnection()) {
      peer->abort();
      peer->deleteLater();
    }
  });
  std::array<NameHolder, kInstanceNames> holders{};
  bool claimed = false;
  for (int i = 0; i < kInstanceNames; ++i) {
    const QString name = Name(user, i);
    if (!claimed && server_.listen(name)) {
      claimed = true;
      holders[static_cast<size_t>(i)] = NameHolder::Nobody;
      continue;
    }
    NameHolder h = probe(name);
    // A name freed between the failed listen and the probe is not taken up
    // again: holding any one name is enough.
    if (h == NameHolder::Nobody && !claimed) h = NameHolder::OtherUser;
    holders[static_cast<size_t>(i)] = h;
    if (h == NameHolder::SameUser) break;
  }
  verdict_ = JudgeInstanceNames(holders);
}

QString DesktopApp::LockName() { return InstanceLock::Name(getuid(), 0); }

DesktopApp::DesktopApp() : lock_(getuid()) {}

void DesktopApp::End() { std::_Exit(0); }

}  // namespace telvara
