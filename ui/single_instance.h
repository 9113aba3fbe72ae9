// SingleInstance: only one interactive program per device prefix. A second
// interactive start brings the first one's window forward (unless started
// with "-hide") and ends with 1.
//
// Entry points: SingleInstance (Check, SetBringForward), the results.
//
// The handset's named mutex is a lock file, <prefix>/run/Kestrelvox.lock
// (platform/instance_lock.h), and its window lookup a local socket beside
// it, Kestrelvox.socket, on which the first instance listens once its lock
// is held. Check, up to 25 times: take the lock (first instance: listen,
// keep both, 0); failing that, connect to the socket; nobody there yet (the
// first instance is still starting): pause 100 ms and try again; with
// "-hide", 1 without a word to it; else ask it to come forward and wait for
// its "ok", 1; no "ok": try again at once. After 25 tries the program
// starts as if it were the first (0), as the handset did.
#pragma once

#include <QLocalServer>
#include <QString>
#include <filesystem>
#include <functional>

#include "platform/instance_lock.h"

namespace kv {

// CheckSingleInstance's results besides 0 and 1, the handset's HRESULTs.
inline constexpr int kInstanceCheckFailed = static_cast<int>(0x80004005u);  // E_FAIL
inline constexpr int kInstanceNameTaken = static_cast<int>(0x80070057u);    // E_INVALIDARG
inline constexpr int kFirstInstance = 0;
inline constexpr int kAnotherInstance = 1;
inline constexpr int kInstanceTries = 25;

class SingleInstance {
 public:
  // `runFolder` is <prefix>/run; `name` the product name (string 128);
  // `pause` sleeps between tries (milliseconds).
  SingleInstance(std::filesystem::path runFolder, QString name, std::function<void(int)> pause);

  // 0, 1, kInstanceCheckFailed (no name, or no lock file can be made) or
  // kInstanceNameTaken (something that is no lock file bears its name).
  [[nodiscard]] int Check(bool hide);

  // What the first instance does when a second asks it to come forward.
  void SetBringForward(std::function<void()> bringForward) {
    bringForward_ = std::move(bringForward);
  }

  std::filesystem::path SocketPath() const;

 private:
  enum class Reply { kNobody, kPresent, kBroughtForward, kNoAnswer };
  Reply AskFirstInstance(bool hide) const;
  void Listen();
  void Answer(class QLocalSocket* connection);

  std::filesystem::path runFolder_;
  QString name_;
  std::function<void(int)> pause_;
  InstanceLock lock_;
  QLocalServer server_;
  std::function<void()> bringForward_;
};

}  // namespace kv
