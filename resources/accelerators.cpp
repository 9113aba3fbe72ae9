// Accelerator table 128 as a constant table.
#include "resources/accelerators.h"

#include <array>

#include "resources/command_ids.h"

namespace kv {
namespace {

constexpr std::array kMainAccelerators = {
    Accelerator{'M', ids::kMemoryScan},
    Accelerator{'F', ids::kFastScan},
    Accelerator{'A', ids::kFullScan},
    Accelerator{'L', ids::kViewLog},
};

}  // namespace

std::span<const Accelerator> FindAccelerators(int id) {
  if (id == ids::kMainAccelerators) return kMainAccelerators;
  return {};
}

}  // namespace kv
