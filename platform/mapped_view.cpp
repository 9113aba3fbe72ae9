// MappedView: a private read-only mmap of a whole file. Private and
// read-only, so nothing the scanner does can reach the file's bytes.
#include <sys/mman.h>
#include <sys/stat.h>

#include <cstdint>
#include <utility>

#include "platform/files.h"

namespace kv::platform {

MappedView::MappedView(MappedView&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    Unmap();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MappedView::~MappedView() { Unmap(); }

void MappedView::Unmap() {
  if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
  data_ = nullptr;
  size_ = 0;
}

bool MappedView::Map(const File& file, uint64_t size, MappedView& view) {
  view.Unmap();
  struct stat status {};
  if (size == 0 || size > SIZE_MAX || !file.IsOpen() || ::fstat(file.fd_.Get(), &status) != 0 ||
      size > static_cast<uint64_t>(status.st_size)) {
    return false;
  }
  void* mapped =
      ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, file.fd_.Get(), 0);
  if (mapped == MAP_FAILED) return false;
  view.data_ = static_cast<const char*>(mapped);
  view.size_ = static_cast<std::size_t>(size);
  return true;
}

}  // namespace kv::platform
