// The host's error texts. std::generic_category's messages are the C
// library's, taken in a thread-safe way (strerror itself is not).
#include "platform/result.h"

#include <system_error>

namespace kv {

std::string ErrorText(int cause) {
  if (cause == 0) return {};
  return std::generic_category().message(cause);
}

std::string WithCause(std::string message, int cause) {
  if (cause != 0) message.append(": ").append(ErrorText(cause));
  return message;
}

}  // namespace kv
