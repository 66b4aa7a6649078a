#pragma once
#include <sys/types.h>

#include <QLocalServer>
#include <functional>

#include "app/InstanceRule.h"

namespace telvara {

// What start-up needs of the application: whether another instance runs,
// the version numbers, and an immediate end.
class AppServices {
 public:
  virtual ~AppServices() = default;
  virtual bool PrevInstance() const = 0;
  virtual int Major() const;
  virtual int Minor() const;
  virtual int Revision() const;
  virtual void End() = 0;
};

// One instance per user. The lock is a listening socket in the abstract
// namespace: it names no file, binding it is atomic (of two processes started
// together exactly one gets it) and the kernel drops it with the process,
// also after a crash. Whoever holds a name is asked for its user id through
// the connection's peer credentials, so another user's socket cannot keep
// this user's Telvara from starting.
class InstanceLock {
 public:
  using Probe = std::function<NameHolder(const QString& name)>;
  explicit InstanceLock(uid_t user);
  // `probe` tells who holds a name that this start could not claim.
  InstanceLock(uid_t user, const Probe& probe);
  bool PreviousInstance() const { return verdict_.previousInstance; }
  int Claimed() const { return verdict_.claim; }

  static QString Name(uid_t user, int index);
  // Who holds the name: the peer credentials of a connection to it, and
  // where the holder takes no connection (stopped, flooded, or between its
  // bind and its listen), the kernel's socket table. Where neither can tell
  // within a fifth of a second, or askKernel is false, the name counts as
  // held by this user. The holder's process id goes to peerPid when it answered.
  static NameHolder HolderOf(const QString& name, uid_t user, pid_t* peerPid = nullptr, bool askKernel = true);

 private:
  QLocalServer server_;
  InstanceVerdict verdict_;
};

class DesktopApp : public AppServices {
 public:
  DesktopApp();
  bool PrevInstance() const override { return lock_.PreviousInstance(); }
  void End() override;  // exits the process at once, status 0

  // The first name of this user's series.
  static QString LockName();

 private:
  InstanceLock lock_;
};

}  // namespace telvara
