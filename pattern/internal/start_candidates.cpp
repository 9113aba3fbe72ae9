// NextCandidate: memmem for a prefix (looked for at its offset into the
// match), a table walk for first bytes.
#include "pattern/internal/start_candidates.h"

#include <cstring>

namespace kv {

int NextCandidate(const StartFilter& filter, std::string_view data, int from) {
  const int length = static_cast<int>(data.size());
  if (from >= length) return filter.kind == StartFilter::Kind::kEveryPosition ? from : length + 1;
  const char* begin = data.data() + from;
  const std::size_t rest = static_cast<std::size_t>(length - from);
  const void* found = nullptr;
  switch (filter.kind) {
    case StartFilter::Kind::kEveryPosition:
      return from;
    case StartFilter::Kind::kPrefix: {
      // Where the match starting at `from` would hold the prefix.
      const auto offset = static_cast<std::size_t>(filter.prefixOffset);
      if (offset >= rest) return length + 1;
      found = memmem(begin + offset, rest - offset, filter.prefix.data(), filter.prefix.size());
      if (found != nullptr) found = static_cast<const char*>(found) - offset;
      break;
    }
    case StartFilter::Kind::kFirstBytes:
      for (int position = from; position < length; ++position) {
        if (filter.firstBytes[static_cast<unsigned char>(data[position])]) return position;
      }
      return length + 1;
  }
  return found == nullptr ? length + 1
                          : static_cast<int>(static_cast<const char*>(found) - data.data());
}

}  // namespace kv
