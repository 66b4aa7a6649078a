// telvara-lookup: the directory from the command line, without Qt.
#include <unistd.h>

#include <cstdio>

#include "cli/Lookup.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return telvara::cli::RunLookup(args, STDIN_FILENO, STDOUT_FILENO, stderr, isatty(STDOUT_FILENO) == 1);
}
