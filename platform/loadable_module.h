// LoadableModule: a shared object opened at run time, for the parts of a
// program that only some of its runs need (tarnwatch's window, which brings
// Qt and libcurl with it).
//
// Entry points: LoadableModule (Open, Symbol).
// Opened with every symbol bound at once, so a module that does not fit the
// program fails here with the loader's text rather than later in a call.
// Never closed: its libraries' exit handlers may still run its code.
#pragma once

#include <filesystem>
#include <string>

namespace kv {

class LoadableModule {
 public:
  LoadableModule() = default;

  // Loads `file`; on failure IsOpen() is false and Error() says why.
  static LoadableModule Open(const std::filesystem::path& file);

  bool IsOpen() const { return handle_ != nullptr; }
  const std::string& Error() const { return error_; }

  // The address of the module's symbol `name`; null when it has none.
  void* Symbol(const char* name) const;

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace kv
