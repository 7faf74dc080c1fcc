#include "render/fields/qr_data_choice.h"

#include <algorithm>

namespace render::fields {

bool QrTextNamesDataFile(std::string_view text) { return !text.empty() && text.size() <= kQrMaxNameLength; }

bool QrFileReplacesData(std::uint64_t fileSize) { return fileSize <= kQrMaxFileSize; }

std::string_view ChooseQrData(std::string_view text, std::optional<std::string_view> fileContent) {
  if (!QrTextNamesDataFile(text) || !fileContent || !QrFileReplacesData(fileContent->size())) return text;
  const std::string_view data = fileContent->substr(0, fileContent->find('\0'));
  return data.empty() ? text : data;
}

DWORD BuildQrDataPath(std::basic_string_view<WCHAR> driverDir, std::basic_string_view<WCHAR> name, WCHAR* out,
                      std::size_t outSize) {
  if (out == nullptr || outSize == 0) return ERROR_INVALID_PARAMETER;
  out[0] = 0;
  if (name.empty()) return ERROR_INVALID_PARAMETER;
  static constexpr char kExtension[] = ".C2D";
  constexpr std::size_t kExtensionLength = sizeof(kExtension) - 1;
  const std::size_t length = driverDir.size() + name.size() + kExtensionLength;
  if (length + 1 > std::min(outSize, kQrDataPathCapacity)) return ERROR_INSUFFICIENT_BUFFER;
  WCHAR* p = std::copy(driverDir.begin(), driverDir.end(), out);
  p = std::copy(name.begin(), name.end(), p);
  for (std::size_t i = 0; i < kExtensionLength; ++i) *p++ = static_cast<WCHAR>(kExtension[i]);
  *p = 0;
  return ERROR_SUCCESS;
}

}  // namespace render::fields
