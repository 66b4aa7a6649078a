#pragma once
#include <sys/socket.h>
#include <sys/un.h>

#include <span>
#include <string>
#include <string_view>

namespace telvara {

// The single-instance lock is a listening socket in the abstract namespace,
// which has no permissions: any local user can bind any name. So a start
// tries a short series of names, claims the first free one, and counts as a
// second instance only when one of the names is held by a process of the
// same user, whichever name that is.
inline constexpr int kInstanceNames = 8;

// "telvara-instance-<uid>", then "telvara-instance-<uid>-1", "-2", ...
std::string InstanceName(unsigned uid, int index);

// Fills `address` with the abstract socket name (a leading NUL, no trailing
// one, as Qt binds it) and returns its length; 0 when the name is too long.
socklen_t AbstractAddress(std::string_view name, sockaddr_un& address);

// Who holds one name of the series when this start looks at it.
enum class NameHolder {
  Nobody,     // free: this start claims it if it holds none yet
  SameUser,   // a Telvara of this user: this start is a second instance
  OtherUser,  // another user's socket, or one that does not answer: ignored
};

struct InstanceVerdict {
  bool previousInstance = false;
  int claim = -1;  // the name this start keeps; -1 when others hold them all
};

InstanceVerdict JudgeInstanceNames(std::span<const NameHolder> holders);

}  // namespace telvara
