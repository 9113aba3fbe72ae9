// LoadableModule on dlopen; see the header.
#include "platform/loadable_module.h"

#include <dlfcn.h>

namespace kv {

LoadableModule LoadableModule::Open(const std::filesystem::path& file) {
  LoadableModule module;
  module.handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module.handle_ == nullptr) {
    const char* why = dlerror();
    module.error_ = why != nullptr ? why : "cannot be loaded";
  }
  return module;
}

void* LoadableModule::Symbol(const char* name) const {
  return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

}  // namespace kv
