// The one function tarnwatch's window module exports: it fills in the
// window system (the interactive program, the Qt message boxes) that the
// entry runs with. The module is built with the program and from the same
// headers, so the types are shared as they are.
//
// Entry points: FillWindowSystem, kWindowEntryName, kWindowModuleName.
#pragma once

#include "app/program.h"

namespace kv::tarnwatch {

using FillWindowSystem = void(WindowSystem& windowSystem);

inline constexpr const char* kWindowEntryName = "kv_tarnwatch_fill_window_system";
inline constexpr const char* kWindowModuleName = "tarnwatch-window.so";

}  // namespace kv::tarnwatch
