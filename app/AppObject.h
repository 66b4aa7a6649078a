#pragma once
#include <QLocalServer>

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
// also after a crash.
class DesktopApp : public AppServices {
 public:
  DesktopApp();
  bool PrevInstance() const override { return prevInstance_; }
  void End() override;  // exits the process at once, status 0

  static QString LockName();

 private:
  QLocalServer lock_;
  bool prevInstance_ = false;
};

}  // namespace telvara
