// tarnwatch, the program: hands the arguments to RunTarnwatch, and with
// them the window system, which lives in a module of its own (Qt, libcurl)
// loaded only by the runs that show a window.
#include <string>
#include <vector>

#include "app/program.h"
#include "tools/tarnwatch/window_loader.h"

int main(int argc, char** argv) {
  return kv::RunTarnwatch(std::vector<std::string>(argv + 1, argv + argc),
                          kv::tarnwatch::ModuleWindowSystem());
}
