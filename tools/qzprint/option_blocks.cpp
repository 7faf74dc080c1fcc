#include "tools/qzprint/option_blocks.h"

#include <cctype>
#include <cstring>
#include <span>

#include "platform/host_state.h"
#include "settings/block_defaults.h"
#include "tools/qzprint/record_fields.h"

namespace qzprint {

namespace {

// Writes the array's entries over the first entries of a block whose
// defaults are already in place; entries past the array keep them.
template <typename Entry>
bool ReadEntries(Reader& reader, const Json& value, const std::string& path, std::span<const RecordField> fields,
                 Entry (&entries)[settings::kLabelCount]) {
  if (!reader.Array(value, path, settings::kLabelCount)) return false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (!WriteFields(reader, value[i], Element(path, i), fields, reinterpret_cast<BYTE*>(&entries[i]))) return false;
  }
  return true;
}

bool IsDrivePath(const std::string& text) {
  return text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) != 0 && text[1] == ':';
}

// The folder of the conversion tables as the calendar page stores it: a
// Windows path. A drive path ("c:\tables") is kept as written (it lives in
// the host state folder); any other folder is a host folder, relative ones
// taken from the job file's folder.
bool ReadTableDir(Reader& reader, const Json& value, const std::string& path, const std::filesystem::path& jobFolder,
                  WCHAR (&out)[settings::kTableDirChars]) {
  std::string text;
  if (!reader.String(value, path, &text)) return false;
  std::u16string wide;
  if (IsDrivePath(text) || text.empty()) {
    wide = host::Widen(text);
  } else {
    std::string folder = (jobFolder / text).lexically_normal().string();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    wide = host::ToWindowsPath(folder);
  }
  if (wide.size() > settings::kTableDirChars - 1) {
    return reader.Fail(path, "folder path is " + std::to_string(wide.size()) + " characters long, at most " +
                                 std::to_string(settings::kTableDirChars - 1) + " fit");
  }
  std::memset(out, 0, sizeof out);
  for (std::size_t i = 0; i < wide.size(); ++i) out[i] = static_cast<WCHAR>(wide[i]);
  return true;
}

bool ReadCalendarOpt(Reader& reader, const Json& value, const std::string& path,
                     const std::filesystem::path& jobFolder, settings::CalendarOpt* out) {
  if (!reader.Object(value, path, {"entries", "TableDir"})) return false;
  settings::DefaultCalendarOpt(out);
  if (const Json* entries = Find(value, "entries")) {
    if (!ReadEntries(reader, *entries, Member(path, "entries"), CalendarEntryFields(), out->Entry)) return false;
  }
  if (const Json* dir = Find(value, "TableDir")) {
    if (!ReadTableDir(reader, *dir, Member(path, "TableDir"), jobFolder, out->TableDir)) return false;
  }
  return true;
}

}  // namespace

bool ReadOptionBlocks(Reader& reader, const Json& value, const std::string& path,
                      const settings::PaperOpt& paperDefaults, const std::filesystem::path& jobFolder,
                      OptionBlocks* out) {
  if (!reader.Object(value, path, {"PaperOpt", "BarColorOpt", "CalendarOpt", "VariableOpt"})) return false;
  if (const Json* paper = Find(value, "PaperOpt")) {
    out->paper = paperDefaults;
    if (!ReadEntries(reader, *paper, Member(path, "PaperOpt"), LabelEntryFields(), out->paper->Entry)) return false;
  }
  if (const Json* barColor = Find(value, "BarColorOpt")) {
    out->barColor.emplace();
    settings::DefaultBarColorOpt(&*out->barColor);
    if (!ReadEntries(reader, *barColor, Member(path, "BarColorOpt"), BarColorEntryFields(), out->barColor->Entry)) {
      return false;
    }
  }
  if (const Json* calendar = Find(value, "CalendarOpt")) {
    out->calendar.emplace();
    if (!ReadCalendarOpt(reader, *calendar, Member(path, "CalendarOpt"), jobFolder, &*out->calendar)) return false;
  }
  if (const Json* variable = Find(value, "VariableOpt")) {
    out->variable.emplace();
    settings::DefaultVariableOpt(&*out->variable);
    if (!ReadEntries(reader, *variable, Member(path, "VariableOpt"), VariableEntryFields(), out->variable->Entry)) {
      return false;
    }
  }
  return true;
}

}  // namespace qzprint
