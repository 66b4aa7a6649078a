#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "search/NumberLookup.h"

namespace telvara::cli {

inline constexpr int kExitAllFound = 0;
inline constexpr int kExitSomeNotFound = 1;
inline constexpr int kExitUsage = 2;

// Input lines longer than this are reported, not resolved; only their start is kept.
inline constexpr size_t kMaxLineBytes = 4096;

// Runs the program on its arguments (the program name left out) and returns
// its exit status. outIsTerminal picks the default format.
int RunLookup(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
              bool outIsTerminal);

// The filter choice a --pref or --list name stands for: one of the window's
// choices, written as the window lists it or without its inner spaces
// ("共通" for "共  通"). Empty when there is none.
std::u16string_view PrefChoiceFor(std::u16string_view name);

// The one-line reason a number was not resolved.
std::u16string ReasonText(const NumberAnswer& answer);

}  // namespace telvara::cli
