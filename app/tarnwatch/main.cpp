// tarnwatch, the program: hands the arguments to RunTarnwatch.
#include <string>
#include <vector>

#include "app/program.h"

int main(int argc, char** argv) {
  return kv::app::RunTarnwatch(std::vector<std::string>(argv + 1, argv + argc));
}
