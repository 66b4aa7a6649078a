#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  // The single-instance lock is an abstract socket, and those belong to a
  // network namespace. In a private one the tests meet neither a Telvara the
  // user is running nor another run of this suite. Where user namespaces are
  // not allowed the tests run as they are, and say so when the lock is taken.
  // Root keeps its real user id, so that a test can still act as another user.
  const char* flags = geteuid() == 0 ? "-n" : "-rn";
  if (!qEnvironmentVariableIsSet("TELVARA_TEST_NAMESPACE") &&
      std::system((std::string("unshare ") + flags + " true >/dev/null 2>&1").c_str()) == 0) {
    setenv("TELVARA_TEST_NAMESPACE", "1", 1);
    std::vector<char*> args = {const_cast<char*>("unshare"), const_cast<char*>(flags)};
    args.insert(args.end(), argv, argv + argc + 1);
    execvp("unshare", args.data());
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
