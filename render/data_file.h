// A data file of the driver folder (2D code data, conversion table), read
// through a read-only mapping for as long as the object lives.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/win.h"

namespace render {

class MappedFile {
 public:
  explicit MappedFile(LPCWSTR path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // True when the file exists and was read (an empty file is open with no bytes).
  bool IsOpen() const { return open_; }
  std::string_view Bytes() const { return {static_cast<const char*>(view_), size_}; }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  const void* view_ = nullptr;
  std::size_t size_ = 0;
  bool open_ = false;
};

// The wide text in a buffer of `capacity` characters, up to its NUL.
std::basic_string_view<WCHAR> WideView(const WCHAR* text, std::size_t capacity);

// ANSI text of the system code page to a NUL-terminated wide string in
// `out`; false when it does not convert or fit.
bool AnsiToWide(std::string_view text, WCHAR* out, std::size_t capacity);

}  // namespace render
