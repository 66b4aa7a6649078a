#pragma once
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace telvara::cli {

inline constexpr int kExitAllFound = 0;
inline constexpr int kExitSomeNotFound = 1;
inline constexpr int kExitUsage = 2;

// Runs the program on its arguments (the program name left out), reading
// standard input from in and writing its rows to out, and returns its exit
// status. outIsTerminal picks the default format.
int RunLookup(const std::vector<std::string>& args, int in, int out, std::FILE* err, bool outIsTerminal);

// The filter choice a --pref or --list name stands for: one of the window's
// choices, written as the window lists it or without its inner spaces
// ("共通" for "共  通"). Empty when there is none.
std::u16string_view PrefChoiceFor(std::u16string_view name);

}  // namespace telvara::cli
