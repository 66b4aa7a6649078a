#include "app/InstanceRule.h"

#include <cstddef>
#include <cstring>

namespace telvara {

std::string InstanceName(unsigned uid, int index) {
  std::string name = "telvara-instance-" + std::to_string(uid);
  if (index > 0) name += "-" + std::to_string(index);
  return name;
}

socklen_t AbstractAddress(std::string_view name, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (name.size() + 1 > sizeof address.sun_path) return 0;
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

InstanceVerdict JudgeInstanceNames(std::span<const NameHolder> holders) {
  InstanceVerdict verdict;
  for (int i = 0; i < static_cast<int>(holders.size()); ++i) {
    const NameHolder h = holders[static_cast<size_t>(i)];
    // Names after the claimed one still count: an instance may hold a later
    // name because an earlier one was taken when it started.
    if (h == NameHolder::SameUser) verdict.previousInstance = true;
    if (h == NameHolder::Nobody && verdict.claim < 0) verdict.claim = i;
  }
  if (verdict.previousInstance) verdict.claim = -1;
  return verdict;
}

}  // namespace telvara
