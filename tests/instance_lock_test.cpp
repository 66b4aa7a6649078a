// The single-instance lock against another user's socket: the rule over the
// series of names, and the real thing over abstract sockets.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "app/AppObject.h"

namespace telvara {

// Connects to the name until its holder's queue is full; the caller closes the connections.
std::vector<int> FillQueue(const QString& name) {
  sockaddr_un address;
  const socklen_t length = AbstractAddress(name.toStdString(), address);
  std::vector<int> fds;
  do fds.push_back(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0));
  while (fds.size() < 5000 && connect(fds.back(), reinterpret_cast<const sockaddr*>(&address), length) == 0);
  return fds;
}

namespace {

using H = NameHolder;

TEST(InstanceRule, OnlyTheSameUserCountsAndTheFirstFreeNameIsKept) {
  // Who holds the names; whether this start is a second instance, and the name it keeps.
  const std::tuple<std::vector<H>, bool, int> cases[] = {
      {{H::Nobody, H::Nobody, H::Nobody}, false, 0},
      {{H::SameUser, H::Nobody, H::Nobody}, true, -1},
      {{H::OtherUser, H::Nobody, H::Nobody}, false, 1},
      {{H::OtherUser, H::OtherUser, H::Nobody}, false, 2},
      {{H::OtherUser, H::SameUser, H::Nobody}, true, -1},
      // An instance that started while an earlier name was taken.
      {{H::Nobody, H::OtherUser, H::SameUser}, true, -1},
      {{H::Nobody, H::Nobody, H::SameUser}, true, -1},
      // Others hold every name: run, unguarded, rather than never start.
      {{H::OtherUser, H::OtherUser, H::OtherUser}, false, -1},
  };
  for (const auto& [holders, previous, claim] : cases) {
    const InstanceVerdict v = JudgeInstanceNames(holders);
    EXPECT_EQ(std::pair(v.previousInstance, v.claim), std::pair(previous, claim)) << ::testing::PrintToString(holders);
  }
}

// A child process that binds `name` as the given user (no change when asUser
// is its own) and holds it, never accepting, until stopped.
struct Holder {
  static std::unique_ptr<Holder> Start(const QString& name, uid_t asUser) {
    sockaddr_un address;
    const socklen_t length = AbstractAddress(name.toStdString(), address);
    auto holder = std::make_unique<Holder>(fork());
    if (holder->pid == 0) {  // only system calls from here on: the parent has threads
      const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      if ((asUser == geteuid() || setuid(asUser) == 0) &&
          bind(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 && listen(fd, 8) == 0)
        pause();
      _exit(1);
    }
    for (int i = 0; i < 1000; ++i, usleep(10000)) {  // polls for up to ten seconds
      if (waitpid(holder->pid, nullptr, WNOHANG) == holder->pid) return holder->pid = -1, nullptr;
      if (InstanceLock::HolderOf(name, geteuid()) != H::Nobody) return holder;
    }
    return nullptr;
  }
  explicit Holder(pid_t p) : pid(p) {}
  ~Holder() { Stop(); }
  void Stop() {
    if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
    pid = -1;
  }
  pid_t pid;
};

TEST(InstanceLockTest, PeerCredentialsOrTheKernelTellTheHolderApart) {
  const QString name = InstanceLock::Name(40000 + static_cast<uid_t>(getpid() % 20000), 5);  // a user no one here is
  const uid_t self = geteuid();
  EXPECT_EQ(std::pair(InstanceLock::HolderOf(name, self), InstanceLock::HolderOf(name, self, nullptr, false)),
            std::pair(H::Nobody, H::Nobody));
  auto holder = Holder::Start(name, self);
  ASSERT_TRUE(holder);
  EXPECT_EQ(std::pair(InstanceLock::HolderOf(name, self), InstanceLock::HolderOf(name, self + 1)),
            std::pair(H::SameUser, H::OtherUser));
  // The holder never accepts: with its queue full, no connection can ask it.
  // The kernel's table still tells; a probe left without it takes the name for held.
  const std::vector<int> queued = FillQueue(name);
  EXPECT_EQ(std::tuple(InstanceLock::HolderOf(name, self), InstanceLock::HolderOf(name, self + 1),
                       InstanceLock::HolderOf(name, self + 1, nullptr, false)),
            std::tuple(H::SameUser, H::OtherUser, H::SameUser));
  for (int fd : queued) close(fd);
  holder->Stop();
  EXPECT_EQ(InstanceLock::HolderOf(name, self), H::Nobody);
}

// Another account binds this user's first name before Telvara starts. Where
// this process may change its user id (CI runs as root) the squatter runs as
// uid 65534; elsewhere it runs as this user and the probe takes its process
// for a stranger's, so the rest runs over the same real sockets either way.
TEST(InstanceLockTest, ForeignHolderIsIgnoredAndASecondStartStillEnds) {
  const uid_t self = geteuid();
  const QString first = InstanceLock::Name(self, 0);
  auto squatter = Holder::Start(first, 65534);
  const bool otherAccount = squatter != nullptr;
  if (!otherAccount) squatter = Holder::Start(first, self);
  ASSERT_TRUE(squatter);
  RecordProperty("squatter", otherAccount ? "uid 65534" : "this user, taken for another");
  const pid_t stranger = squatter->pid;
  const InstanceLock::Probe probe = [&](const QString& name) {
    pid_t pid = 0;
    const NameHolder h = InstanceLock::HolderOf(name, self, &pid);
    return pid == stranger ? NameHolder::OtherUser : h;
  };
  if (otherAccount) {
    EXPECT_EQ(InstanceLock::HolderOf(first, self), H::OtherUser);
  }

  auto running = std::make_unique<InstanceLock>(self, probe);
  EXPECT_FALSE(running->PreviousInstance());
  EXPECT_EQ(running->Claimed(), 1);
  EXPECT_TRUE(InstanceLock(self, probe).PreviousInstance());

  // The squatter leaves: a new start takes the first name, then finds the
  // running instance on the second.
  squatter->Stop();
  EXPECT_TRUE(InstanceLock(self, probe).PreviousInstance());
  running.reset();
  InstanceLock after(self, probe);
  EXPECT_FALSE(after.PreviousInstance());
  EXPECT_EQ(after.Claimed(), 0);
}

}  // namespace
}  // namespace telvara
