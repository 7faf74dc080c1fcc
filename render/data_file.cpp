#include "render/data_file.h"

namespace render {

MappedFile::MappedFile(LPCWSTR path) {
  file_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return;
  const DWORD size = GetFileSize(file_, nullptr);
  if (size == INVALID_FILE_SIZE) return;
  if (size == 0) {
    // An empty file cannot be mapped, but it is there and holds nothing.
    open_ = true;
    return;
  }
  mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping_ == nullptr) return;
  view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
  if (view_ == nullptr) return;
  size_ = size;
  open_ = true;
}

MappedFile::~MappedFile() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

std::basic_string_view<WCHAR> WideView(const WCHAR* text, std::size_t capacity) {
  std::size_t length = 0;
  while (length < capacity && text[length] != 0) ++length;
  return {text, length};
}

bool AnsiToWide(std::string_view text, WCHAR* out, std::size_t capacity) {
  if (capacity == 0) return false;
  out[0] = 0;
  if (text.empty()) return true;
  if (text.size() >= capacity) return false;
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out,
                                         static_cast<int>(capacity - 1));
  if (length <= 0) return false;
  out[length] = 0;
  return true;
}

}  // namespace render
