// AppContext: the one application record, created zeroed at start-up and
// living for the whole process. Later stages add the window and skin fields;
// the scan engine needs only the loaded database version.
#pragma once

#include <cstdint>

namespace kv {

struct AppContext {
  // Version read from the database's first line; 0 until a load has read one.
  int32_t dbVersion = 0;
};

inline AppContext appContext;

}  // namespace kv
