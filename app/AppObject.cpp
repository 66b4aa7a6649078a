#include "app/AppObject.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalSocket>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "Version.h"

namespace telvara {

int AppServices::Major() const { return kVersionMajor; }
int AppServices::Minor() const { return kVersionMinor; }
int AppServices::Revision() const { return kVersionRevision; }

QString InstanceLock::Name(uid_t user, int index) {
  return QString::fromStdString(InstanceName(static_cast<unsigned>(user), index));
}

namespace {

// The kernel's own record of the socket bound to an abstract name, from its
// socket table (sock_diag): whether one is bound, and whose it is. It answers
// even when the holder takes no connection. nullopt where the kernel does not
// say: netlink refused, or a kernel older than 5.3 that keeps the owner to itself.
struct BoundName {
  bool bound = false;
  uid_t owner = 0;
};

std::optional<BoundName> KernelRecord(std::string_view path) {
  const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
  if (fd < 0) return std::nullopt;
  const timeval patience{1, 0};  // the kernel answers at once: never wait long
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  struct {
    nlmsghdr header;
    unix_diag_req request;
  } query{};
  query.header.nlmsg_len = sizeof query;
  query.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
  query.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  query.request.sdiag_family = AF_UNIX;
  // Listening, and bound but not yet listening (the moment between a holder's
  // bind and its listen).
  query.request.udiag_states = (1u << TCP_LISTEN) | (1u << TCP_CLOSE);
  query.request.udiag_show = UDIAG_SHOW_NAME | UDIAG_SHOW_UID;
  std::optional<BoundName> record;
  BoundName found;
  bool ownerUnknown = false;
  alignas(nlmsghdr) std::array<char, 32768> buffer;
  bool more = send(fd, &query, sizeof query, 0) == static_cast<ssize_t>(sizeof query);
  while (more) {
    const ssize_t received = recv(fd, buffer.data(), buffer.size(), 0);
    more = received > 0;
    for (size_t at = 0; more && at + sizeof(nlmsghdr) <= static_cast<size_t>(received);) {
      const auto* header = reinterpret_cast<const nlmsghdr*>(buffer.data() + at);
      if (header->nlmsg_len < sizeof(nlmsghdr) || at + header->nlmsg_len > static_cast<size_t>(received)) break;
      at += NLMSG_ALIGN(header->nlmsg_len);
      if (header->nlmsg_type == NLMSG_DONE) {
        if (!ownerUnknown) record = found;
        more = false;
      } else if (header->nlmsg_type == NLMSG_ERROR) {
        more = false;
      } else if (header->nlmsg_len >= NLMSG_LENGTH(sizeof(unix_diag_msg))) {
        std::optional<std::string_view> name;
        std::optional<uid_t> owner;
        size_t offset = NLMSG_LENGTH(sizeof(unix_diag_msg));
        while (offset + sizeof(rtattr) <= header->nlmsg_len) {
          const auto* attribute = reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(header) + offset);
          if (attribute->rta_len < sizeof(rtattr) || offset + attribute->rta_len > header->nlmsg_len) break;
          const char* data = static_cast<const char*>(RTA_DATA(attribute));
          const size_t size = attribute->rta_len - RTA_LENGTH(0);
          if (attribute->rta_type == UNIX_DIAG_NAME) name = std::string_view(data, size);
          if (attribute->rta_type == UNIX_DIAG_UID && size >= sizeof(uint32_t)) {
            uint32_t uid = 0;
            std::memcpy(&uid, data, sizeof uid);
            owner = uid;
          }
          offset += RTA_ALIGN(attribute->rta_len);
        }
        if (name == path) {
          found = {true, owner.value_or(0)};
          ownerUnknown = !owner;
        }
      }
    }
  }
  close(fd);
  return record;
}

// One connection attempt: the holder's peer credentials, Nobody when the name
// refuses connections, nullopt when the attempt cannot tell (the holder's
// queue is full because it is stopped or flooded, or no socket to try with).
std::optional<NameHolder> AskHolder(const sockaddr_un& address, socklen_t length, uid_t user, pid_t* peerPid) {
  // Non-blocking, so that a holder that never accepts cannot stall the start.
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  std::optional<NameHolder> holder;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0) {
      holder = peer.uid == user ? NameHolder::SameUser : NameHolder::OtherUser;
      if (peerPid) *peerPid = peer.pid;
    }
  } else if (errno == ECONNREFUSED || errno == ENOENT) {
    holder = NameHolder::Nobody;
  }
  close(fd);
  return holder;
}

}  // namespace

NameHolder InstanceLock::HolderOf(const QString& name, uid_t user, pid_t* peerPid, bool askKernel) {
  sockaddr_un address;
  const socklen_t length = AbstractAddress(name.toStdString(), address);
  if (length == 0) return NameHolder::OtherUser;
  const std::string_view path(address.sun_path, length - offsetof(sockaddr_un, sun_path));
  // A holder that is merely busy takes connections again within moments; one
  // that is stopped never does. Twenty tries 10 ms apart bound the wait.
  constexpr int kTries = 20;
  for (int attempt = 1;; ++attempt) {
    const std::optional<NameHolder> answer = AskHolder(address, length, user, peerPid);
    if (answer && *answer != NameHolder::Nobody) return *answer;
    if (askKernel) {
      if (const std::optional<BoundName> record = KernelRecord(path)) {
        if (!record->bound) return NameHolder::Nobody;  // the holder went away in between
        return record->owner == user ? NameHolder::SameUser : NameHolder::OtherUser;
      }
    }
    // Refused to the end: nobody listens. Never answered: held, for a probe
    // that cannot tell must not let a second window open.
    if (attempt == kTries) return answer ? NameHolder::Nobody : NameHolder::SameUser;
    usleep(10000);
  }
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
