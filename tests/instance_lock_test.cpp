// The single-instance lock against another user's socket: the rule over the
// series of names, and the real thing over abstract sockets.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLocalServer>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/AppObject.h"

namespace telvara {
namespace {

using H = NameHolder;

struct RuleCase {
  std::vector<H> holders;
  bool previous;
  int claim;
};

TEST(InstanceRule, OnlyTheSameUserCountsAndTheFirstFreeNameIsKept) {
  const std::vector<RuleCase> cases = {
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
  for (const RuleCase& c : cases) {
    const InstanceVerdict v = JudgeInstanceNames(c.holders);
    EXPECT_EQ(v.previousInstance, c.previous) << "case " << (&c - cases.data());
    EXPECT_EQ(v.claim, c.claim) << "case " << (&c - cases.data());
  }
}

TEST(InstanceRule, NamesCarryTheUserAndAnIndex) {
  EXPECT_EQ(InstanceName(1000, 0), "telvara-instance-1000");
  EXPECT_EQ(InstanceName(1000, 3), "telvara-instance-1000-3");
  EXPECT_EQ(DesktopApp::LockName(), InstanceLock::Name(getuid(), 0));
}

// A child process that binds `name` as the given user (no change when
// asUser is its own) and holds it until killed.
class Holder {
 public:
  static std::optional<Holder> Start(const QString& name, uid_t asUser, std::string& why) {
    int ready[2];
    if (pipe(ready) != 0) return std::nullopt;
    sockaddr_un address;
    const socklen_t length = AbstractAddress(name.toStdString(), address);
    const pid_t pid = fork();
    if (pid == 0) {
      // Only system calls from here on: the parent has threads.
      close(ready[0]);
      char status = 'S';
      const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      if (asUser != geteuid() && setuid(asUser) != 0) status = 'U';
      else if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || listen(fd, 8) != 0)
        status = 'B';
      [[maybe_unused]] const ssize_t n = write(ready[1], &status, 1);
      if (status == 'S') pause();
      _exit(0);
    }
    close(ready[1]);
    char status = 0;
    pollfd p{ready[0], POLLIN, 0};
    if (poll(&p, 1, 10000) == 1 && read(ready[0], &status, 1) == 1 && status == 'S') {
      close(ready[0]);
      return Holder(pid);
    }
    close(ready[0]);
    why = status == 'U' ? "setuid refused" : status == 'B' ? "name already bound" : "no answer";
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return std::nullopt;
  }
  Holder(Holder&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
  Holder& operator=(Holder&& other) noexcept {
    Stop();
    pid_ = std::exchange(other.pid_, -1);
    return *this;
  }
  pid_t Pid() const { return pid_; }
  ~Holder() { Stop(); }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  explicit Holder(pid_t pid) : pid_(pid) {}
  pid_t pid_;
};

class InstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A user id no process here runs as, so that no other Telvara interferes.
    me = 40000 + static_cast<uid_t>(getpid() % 20000);
    while (me == getuid()) ++me;
  }
  uid_t me = 0;
};

TEST_F(InstanceLockTest, PeerCredentialsTellTheHolderApart) {
  const QString name = InstanceLock::Name(me, 5);
  EXPECT_EQ(InstanceLock::HolderOf(name, geteuid()), H::Nobody);
  std::string why;
  auto holder = Holder::Start(name, geteuid(), why);
  ASSERT_TRUE(holder) << why;
  EXPECT_EQ(InstanceLock::HolderOf(name, geteuid()), H::SameUser);
  EXPECT_EQ(InstanceLock::HolderOf(name, geteuid() + 1), H::OtherUser);
  holder->Stop();
  EXPECT_EQ(InstanceLock::HolderOf(name, geteuid()), H::Nobody);
}

TEST_F(InstanceLockTest, SameUserHolderOfAnyNameMakesASecondInstance) {
  const uid_t self = geteuid();
  {
    InstanceLock first(self);
    if (first.Claimed() != 0) GTEST_FAIL() << "another Telvara of this user runs in this network namespace";
    EXPECT_FALSE(first.PreviousInstance());
    InstanceLock second(self);
    EXPECT_TRUE(second.PreviousInstance());
  }
  // A same-user holder of a later name counts too.
  std::string why;
  auto later = Holder::Start(InstanceLock::Name(self, 3), self, why);
  ASSERT_TRUE(later) << why;
  InstanceLock start(self);
  EXPECT_TRUE(start.PreviousInstance());
}

// Another account binds this user's first name before Telvara starts. Where
// this process may change its user id (CI runs as root) the squatter runs as
// uid 65534; elsewhere it runs as this user and the probe takes its process
// for a stranger's, so the rest runs over the same real sockets either way.
TEST_F(InstanceLockTest, ForeignHolderIsIgnoredAndASecondStartStillEnds) {
  const uid_t self = geteuid();
  const QString first = InstanceLock::Name(self, 0);
  std::string why;
  auto squatter = Holder::Start(first, 65534, why);
  const bool otherAccount = squatter.has_value();
  if (!otherAccount) squatter = Holder::Start(first, self, why);
  ASSERT_TRUE(squatter) << why;
  RecordProperty("squatter", otherAccount ? "uid 65534" : "this user, taken for another");
  const pid_t stranger = squatter->Pid();
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
