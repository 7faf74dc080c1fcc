#include "tools/qzprint/devmode_builder.h"

#include <algorithm>
#include <cstring>

#include "settings/devmode.h"
#include "settings/little_endian.h"
#include "tools/qzprint/record_fields.h"

namespace qzprint {

namespace {

// The public layouts a DEVMODE comes in and the dmSpecVersion of each.
struct Layout {
  WORD size;
  WORD specVersion;
};
constexpr Layout kLayouts[] = {{188, 0x0320}, {212, 0x0400}, {220, 0x0401}};

constexpr WORD kDriverVersion = 0x0400;
constexpr std::int64_t kMaxDriverExtra = 1024;

const Layout* FindLayout(std::int64_t size) {
  for (const Layout& layout : kLayouts) {
    if (layout.size == size) return &layout;
  }
  return nullptr;
}

// The private part as the driver would make it for this printer, with the
// job's fields written over it.
bool BuildPrivate(Reader& reader, const Json* value, const std::string& path, const DevmodeDefaults& defaults,
                  std::size_t available, settings::PrivateOpt* out) {
  settings::LabelDevmode record{};
  settings::MakeDefaultDevmode(&record, defaults.deviceName.c_str(), defaults.model, *defaults.papers);
  *out = record.priv;
  if (value == nullptr) return true;
  if (!reader.AnyObject(*value, path)) return false;
  auto* bytes = reinterpret_cast<BYTE*>(out);
  for (const auto& item : value->items()) {
    const std::string where = Member(path, item.key());
    const RecordField* field = FindField(PrivateOptFields(), item.key());
    if (field == nullptr) return reader.Fail(where, "unknown key");
    if (field->offset + FieldBytes(*field) > available) {
      return reader.Fail(where, "lies beyond the private part of " + std::to_string(available) +
                                    " bytes (dmDriverExtra)");
    }
    if (!WriteField(reader, item.value(), where, *field, bytes)) return false;
  }
  return true;
}

}  // namespace

bool BuildDevmode(Reader& reader, const Json& value, const std::string& path, const DevmodeDefaults& defaults,
                  std::vector<BYTE>* out) {
  if (!reader.AnyObject(value, path)) return false;

  const Layout* layout = &kLayouts[std::size(kLayouts) - 1];
  if (const Json* size = Find(value, "dmSize")) {
    std::int64_t number = 0;
    if (!reader.Integer(*size, Member(path, "dmSize"), 0, 0xFFFF, &number)) return false;
    layout = FindLayout(number);
    if (layout == nullptr) return reader.Fail(Member(path, "dmSize"), "must be 188, 212 or 220");
  }
  std::int64_t driverExtra = sizeof(settings::PrivateOpt);
  if (const Json* extra = Find(value, "dmDriverExtra")) {
    if (!reader.Integer(*extra, Member(path, "dmDriverExtra"), 0, kMaxDriverExtra, &driverExtra)) return false;
  }

  std::vector<BYTE> record(layout->size + static_cast<std::size_t>(driverExtra), 0);
  BYTE* bytes = record.data();
  // An application's DEVMODE names its printer; the driver never takes it.
  const std::size_t nameChars = std::min<std::size_t>(defaults.deviceName.size(), CCHDEVICENAME - 1);
  for (std::size_t i = 0; i < nameChars; ++i) {
    settings::StoreLe16(bytes + offsetof(DEVMODEW, dmDeviceName) + 2 * i, defaults.deviceName[i]);
  }
  settings::StoreLe16(bytes + offsetof(DEVMODEW, dmSpecVersion), layout->specVersion);
  settings::StoreLe16(bytes + offsetof(DEVMODEW, dmDriverVersion), kDriverVersion);
  settings::StoreLe16(bytes + offsetof(DEVMODEW, dmSize), layout->size);
  settings::StoreLe16(bytes + offsetof(DEVMODEW, dmDriverExtra), static_cast<WORD>(driverExtra));

  DWORD fields = 0;
  const Json* explicitFields = nullptr;
  const Json* privatePart = nullptr;
  for (const auto& item : value.items()) {
    const std::string& key = item.key();
    const std::string where = Member(path, key);
    if (key == "dmSize" || key == "dmDriverExtra") continue;
    if (key == "dmFields") {
      explicitFields = &item.value();
      continue;
    }
    if (key == "private") {
      privatePart = &item.value();
      continue;
    }
    const RecordField* field = FindField(DevmodePublicFields(), key);
    if (field == nullptr) return reader.Fail(where, "unknown key");
    if (field->offset + FieldBytes(*field) > layout->size) {
      return reader.Fail(where, "is not part of a " + std::to_string(layout->size) + "-byte DEVMODE");
    }
    if (!WriteField(reader, item.value(), where, *field, bytes)) return false;
    fields |= field->dmFlag;
  }
  if (explicitFields != nullptr) {
    std::int64_t number = 0;
    if (!reader.Integer(*explicitFields, Member(path, "dmFields"), 0, 0xFFFFFFFF, &number)) return false;
    fields = static_cast<DWORD>(number);
  }
  settings::StoreLe32(bytes + offsetof(DEVMODEW, dmFields), fields);

  const auto available = static_cast<std::size_t>(driverExtra);
  if (privatePart != nullptr && available == 0) {
    return reader.Fail(Member(path, "private"), "the DEVMODE has no private part (dmDriverExtra is 0)");
  }
  settings::PrivateOpt priv{};
  if (!BuildPrivate(reader, privatePart, Member(path, "private"), defaults, available, &priv)) return false;
  std::memcpy(bytes + layout->size, &priv, std::min(available, sizeof priv));

  *out = std::move(record);
  return true;
}

}  // namespace qzprint
