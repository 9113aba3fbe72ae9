// The window system of tarnwatch as the program hands it to the entry: the
// window module (tarnwatch-window.so) is loaded on the first call that
// needs it, so the silent modes never map Qt or libcurl.
//
// Entry point: ModuleWindowSystem.
// The module is looked for beside the program (a build tree), else in the
// package's private library folder, KV_WINDOW_MODULE_DIR relative to the
// program's folder (the installed layout). When it cannot be loaded, an
// interactive start says why and ends with 1, as one that cannot open its
// window does; a silent run asks on the console instead.
#pragma once

#include "app/program.h"

namespace kv::tarnwatch {

WindowSystem ModuleWindowSystem();

}  // namespace kv::tarnwatch
