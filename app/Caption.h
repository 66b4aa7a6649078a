#pragma once
#include <string>

namespace telvara {

// The window caption. Minor and revision stand side by side with no dot
// between them, so 1.0.0 reads "1.00".
std::u16string ComposeCaption(int major, int minor, int revision);

}  // namespace telvara
