#include "tools/qzprint/record_fields.h"

#include <cstring>
#include <limits>

#include "platform/host_state.h"
#include "settings/little_endian.h"
#include "settings/records.h"

namespace qzprint {

namespace {

using settings::BarColorEntry;
using settings::CalendarEntry;
using settings::LabelEntry;
using settings::PrivateOpt;
using settings::VariableEntry;

// Public DEVMODE fields an application may set. dmSize, dmDriverExtra,
// dmFields and the private part are laid out by the DEVMODE builder itself.
const RecordField kDevmodePublic[] = {
    {"dmDeviceName", offsetof(DEVMODEW, dmDeviceName), FieldType::kWide, CCHDEVICENAME},
    {"dmSpecVersion", offsetof(DEVMODEW, dmSpecVersion), FieldType::kU16},
    {"dmDriverVersion", offsetof(DEVMODEW, dmDriverVersion), FieldType::kU16},
    {"dmOrientation", offsetof(DEVMODEW, dmOrientation), FieldType::kI16, 0, DM_ORIENTATION},
    {"dmPaperSize", offsetof(DEVMODEW, dmPaperSize), FieldType::kI16, 0, DM_PAPERSIZE},
    {"dmPaperLength", offsetof(DEVMODEW, dmPaperLength), FieldType::kI16, 0, DM_PAPERLENGTH},
    {"dmPaperWidth", offsetof(DEVMODEW, dmPaperWidth), FieldType::kI16, 0, DM_PAPERWIDTH},
    {"dmScale", offsetof(DEVMODEW, dmScale), FieldType::kI16, 0, DM_SCALE},
    {"dmCopies", offsetof(DEVMODEW, dmCopies), FieldType::kI16, 0, DM_COPIES},
    {"dmDefaultSource", offsetof(DEVMODEW, dmDefaultSource), FieldType::kI16, 0, DM_DEFAULTSOURCE},
    {"dmPrintQuality", offsetof(DEVMODEW, dmPrintQuality), FieldType::kI16, 0, DM_PRINTQUALITY},
    {"dmColor", offsetof(DEVMODEW, dmColor), FieldType::kI16, 0, DM_COLOR},
    {"dmDuplex", offsetof(DEVMODEW, dmDuplex), FieldType::kI16, 0, DM_DUPLEX},
    {"dmYResolution", offsetof(DEVMODEW, dmYResolution), FieldType::kI16, 0, DM_YRESOLUTION},
    {"dmTTOption", offsetof(DEVMODEW, dmTTOption), FieldType::kI16, 0, DM_TTOPTION},
    {"dmCollate", offsetof(DEVMODEW, dmCollate), FieldType::kI16, 0, DM_COLLATE},
    {"dmFormName", offsetof(DEVMODEW, dmFormName), FieldType::kWide, CCHFORMNAME, DM_FORMNAME},
    {"dmLogPixels", offsetof(DEVMODEW, dmLogPixels), FieldType::kU16, 0, DM_LOGPIXELS},
    {"dmBitsPerPel", offsetof(DEVMODEW, dmBitsPerPel), FieldType::kU32, 0, DM_BITSPERPEL},
    {"dmPelsWidth", offsetof(DEVMODEW, dmPelsWidth), FieldType::kU32, 0, DM_PELSWIDTH},
    {"dmPelsHeight", offsetof(DEVMODEW, dmPelsHeight), FieldType::kU32, 0, DM_PELSHEIGHT},
    {"dmNup", offsetof(DEVMODEW, dmNup), FieldType::kU32, 0, DM_NUP},
    {"dmDisplayFrequency", offsetof(DEVMODEW, dmDisplayFrequency), FieldType::kU32, 0, DM_DISPLAYFREQUENCY},
    {"dmICMMethod", offsetof(DEVMODEW, dmICMMethod), FieldType::kU32, 0, DM_ICMMETHOD},
    {"dmICMIntent", offsetof(DEVMODEW, dmICMIntent), FieldType::kU32, 0, DM_ICMINTENT},
    {"dmMediaType", offsetof(DEVMODEW, dmMediaType), FieldType::kU32, 0, DM_MEDIATYPE},
    {"dmDitherType", offsetof(DEVMODEW, dmDitherType), FieldType::kU32, 0, DM_DITHERTYPE},
};

const RecordField kPrivateOpt[] = {
    {"Signature", offsetof(PrivateOpt, Signature), FieldType::kSignature, sizeof(PrivateOpt::Signature)},
    {"PrintDevice", offsetof(PrivateOpt, PrintDevice), FieldType::kU8},
    {"FileName", offsetof(PrivateOpt, FileName), FieldType::kAnsi, sizeof(PrivateOpt::FileName)},
    {"PrintCut", offsetof(PrivateOpt, PrintCut), FieldType::kU8},
    {"PrintLastCut", offsetof(PrivateOpt, PrintLastCut), FieldType::kU8},
    {"PrintCutqty", offsetof(PrivateOpt, PrintCutqty), FieldType::kU8},
    {"PrintCutqtyNum", offsetof(PrivateOpt, PrintCutqtyNum), FieldType::kU8},
    {"PrintPitch", offsetof(PrivateOpt, PrintPitch), FieldType::kU8},
    {"PrintError", offsetof(PrivateOpt, PrintError), FieldType::kU8},
    {"PrintRibbon", offsetof(PrivateOpt, PrintRibbon), FieldType::kU8},
    {"PrintPattern", offsetof(PrivateOpt, PrintPattern), FieldType::kU8},
    {"Divide", offsetof(PrivateOpt, Divide), FieldType::kU8},
    {"PrintPos", offsetof(PrivateOpt, PrintPos), FieldType::kU8},
    {"PrintPosNum", offsetof(PrivateOpt, PrintPosNum), FieldType::kU32},
    {"YOffset", offsetof(PrivateOpt, YOffset), FieldType::kU8},
    {"YOffsetNum", offsetof(PrivateOpt, YOffsetNum), FieldType::kU16},
    {"Compression", offsetof(PrivateOpt, Compression), FieldType::kU8},
    {"Orientation", offsetof(PrivateOpt, Label), FieldType::kPerLabel},
    {"Rotate", offsetof(PrivateOpt, Label) + 1, FieldType::kPerLabel},
};

const RecordField kLabelEntry[] = {
    {"PaperName", offsetof(LabelEntry, PaperName), FieldType::kWide, settings::kPaperNameChars},
    {"PaperId", offsetof(LabelEntry, PaperId), FieldType::kU32},
    {"LabelWidth", offsetof(LabelEntry, LabelWidth), FieldType::kU32},
    {"LabelLength", offsetof(LabelEntry, LabelLength), FieldType::kU32},
};

#define QZ_BYTE_FIELD(record, name) {#name, offsetof(record, name), FieldType::kU8}

const RecordField kBarColorEntry[] = {
    QZ_BYTE_FIELD(BarColorEntry, BarCodeColor),          QZ_BYTE_FIELD(BarColorEntry, BarCodeKind),
    QZ_BYTE_FIELD(BarColorEntry, BarCodeSize),           QZ_BYTE_FIELD(BarColorEntry, BarCodeLength),
    QZ_BYTE_FIELD(BarColorEntry, BarCodeNumShow),        QZ_BYTE_FIELD(BarColorEntry, BarCodeRotate),
    QZ_BYTE_FIELD(BarColorEntry, BarCodeQrCellSize),     QZ_BYTE_FIELD(BarColorEntry, BarCodeQrErrLevel),
    QZ_BYTE_FIELD(BarColorEntry, BarCodeQrModel),        QZ_BYTE_FIELD(BarColorEntry, BarCodeEnableEBR),
    QZ_BYTE_FIELD(BarColorEntry, BarCodeEBRnarrowBar),   QZ_BYTE_FIELD(BarColorEntry, BarCodeEBRwideBar),
    QZ_BYTE_FIELD(BarColorEntry, BarCodeEBRnarrowSpace), QZ_BYTE_FIELD(BarColorEntry, BarCodeEBRwideSpace),
    QZ_BYTE_FIELD(BarColorEntry, BarCodeEBRbarGap),      QZ_BYTE_FIELD(BarColorEntry, BarCodeEBRhreadGap),
};

const RecordField kCalendarEntry[] = {
    QZ_BYTE_FIELD(CalendarEntry, CalendarKind),
    QZ_BYTE_FIELD(CalendarEntry, CalendarYMag),
    QZ_BYTE_FIELD(CalendarEntry, CalendarXMag),
    QZ_BYTE_FIELD(CalendarEntry, CalendarRotate),
    QZ_BYTE_FIELD(CalendarEntry, CalendarGap),
    QZ_BYTE_FIELD(CalendarEntry, CalendarDate),
    QZ_BYTE_FIELD(CalendarEntry, CalendarFormat),
    QZ_BYTE_FIELD(CalendarEntry, CalendarYear),
    QZ_BYTE_FIELD(CalendarEntry, CalendarMonth),
    {"CalendarDay", offsetof(CalendarEntry, CalendarDay), FieldType::kI32},
    {"ConvertYear", offsetof(CalendarEntry, ConvertYear), FieldType::kAnsi, sizeof(CalendarEntry::ConvertYear)},
    {"ConvertMonth", offsetof(CalendarEntry, ConvertMonth), FieldType::kAnsi, sizeof(CalendarEntry::ConvertMonth)},
    {"ConvertDay", offsetof(CalendarEntry, ConvertDay), FieldType::kAnsi, sizeof(CalendarEntry::ConvertDay)},
    {"ConvertHour", offsetof(CalendarEntry, ConvertHour), FieldType::kAnsi, sizeof(CalendarEntry::ConvertHour)},
    {"ConvertMinute", offsetof(CalendarEntry, ConvertMinute), FieldType::kAnsi,
     sizeof(CalendarEntry::ConvertMinute)},
    {"ConvertWeek", offsetof(CalendarEntry, ConvertWeek), FieldType::kAnsi, sizeof(CalendarEntry::ConvertWeek)},
    {"ConvertSerial", offsetof(CalendarEntry, ConvertSerial), FieldType::kAnsi,
     sizeof(CalendarEntry::ConvertSerial)},
};

const RecordField kVariableEntry[] = {
    {"DisplayLine1", offsetof(VariableEntry, DisplayLine1), FieldType::kAnsi, sizeof(VariableEntry::DisplayLine1)},
    {"DisplayLine2", offsetof(VariableEntry, DisplayLine2), FieldType::kAnsi, sizeof(VariableEntry::DisplayLine2)},
    QZ_BYTE_FIELD(VariableEntry, DisplayInPos),
    QZ_BYTE_FIELD(VariableEntry, DisplayCharaNo),
    QZ_BYTE_FIELD(VariableEntry, ManualKind),
    QZ_BYTE_FIELD(VariableEntry, ManualYMag),
    QZ_BYTE_FIELD(VariableEntry, ManualXMag),
    QZ_BYTE_FIELD(VariableEntry, ManualRotate),
    QZ_BYTE_FIELD(VariableEntry, ManualGap),
};

#undef QZ_BYTE_FIELD

struct IntegerRange {
  std::int64_t min;
  std::int64_t max;
};

IntegerRange RangeOf(FieldType type) {
  switch (type) {
    case FieldType::kI16: return {std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()};
    case FieldType::kU16: return {0, std::numeric_limits<std::uint16_t>::max()};
    case FieldType::kU32: return {0, std::numeric_limits<std::uint32_t>::max()};
    case FieldType::kI32: return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    default: return {0, std::numeric_limits<std::uint8_t>::max()};
  }
}

bool WriteText(Reader& reader, const Json& value, const std::string& path, const RecordField& field, BYTE* at) {
  std::string utf8;
  if (!reader.String(value, path, &utf8)) return false;
  const std::size_t bytes = FieldBytes(field);
  std::memset(at, 0, bytes);
  switch (field.type) {
    case FieldType::kAnsi: {
      std::string ansi;
      if (!ToAnsiBytes(reader, utf8, path, field.size - 1, &ansi)) return false;
      std::memcpy(at, ansi.data(), ansi.size());
      return true;
    }
    case FieldType::kWide: {
      const std::u16string wide = host::Widen(utf8);
      if (wide.size() > field.size - 1) {
        return reader.Fail(path, "text is " + std::to_string(wide.size()) + " UTF-16 characters long, at most " +
                                     std::to_string(field.size - 1) + " fit");
      }
      for (std::size_t i = 0; i < wide.size(); ++i) settings::StoreLe16(at + 2 * i, wide[i]);
      return true;
    }
    default: {  // kSignature
      if (utf8.size() != field.size) {
        return reader.Fail(path, "expected exactly " + std::to_string(field.size) + " ASCII characters");
      }
      for (char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) return reader.Fail(path, "expected ASCII characters");
      }
      std::memcpy(at, utf8.data(), utf8.size());
      return true;
    }
  }
}

bool WritePerLabel(Reader& reader, const Json& value, const std::string& path, BYTE* at) {
  if (!reader.Array(value, path, settings::kLabelCount)) return false;
  for (std::size_t i = 0; i < value.size(); ++i) {
    std::int64_t number = 0;
    if (!reader.Integer(value[i], Element(path, i), 0, 255, &number)) return false;
    at[2 * i] = static_cast<BYTE>(number);
  }
  return true;
}

}  // namespace

std::size_t FieldBytes(const RecordField& field) {
  switch (field.type) {
    case FieldType::kU8: return 1;
    case FieldType::kI16:
    case FieldType::kU16: return 2;
    case FieldType::kU32:
    case FieldType::kI32: return 4;
    case FieldType::kAnsi:
    case FieldType::kSignature: return field.size;
    case FieldType::kWide: return 2 * field.size;
    case FieldType::kPerLabel: return 2 * settings::kLabelCount - 1;
  }
  return 0;
}

const RecordField* FindField(std::span<const RecordField> fields, std::string_view name) {
  for (const RecordField& field : fields) {
    if (name == field.name) return &field;
  }
  return nullptr;
}

bool WriteField(Reader& reader, const Json& value, const std::string& path, const RecordField& field, BYTE* record) {
  BYTE* at = record + field.offset;
  switch (field.type) {
    case FieldType::kAnsi:
    case FieldType::kWide:
    case FieldType::kSignature: return WriteText(reader, value, path, field, at);
    case FieldType::kPerLabel: return WritePerLabel(reader, value, path, at);
    default: break;
  }
  const IntegerRange range = RangeOf(field.type);
  std::int64_t number = 0;
  if (!reader.Integer(value, path, range.min, range.max, &number)) return false;
  const auto bits = static_cast<std::uint64_t>(number);
  switch (FieldBytes(field)) {
    case 1: *at = static_cast<BYTE>(bits); break;
    case 2: settings::StoreLe16(at, static_cast<std::uint16_t>(bits)); break;
    default: settings::StoreLe32(at, static_cast<std::uint32_t>(bits)); break;
  }
  return true;
}

bool WriteFields(Reader& reader, const Json& object, const std::string& path, std::span<const RecordField> fields,
                 BYTE* record) {
  if (!reader.AnyObject(object, path)) return false;
  for (const auto& item : object.items()) {
    const std::string where = Member(path, item.key());
    const RecordField* field = FindField(fields, item.key());
    if (field == nullptr) return reader.Fail(where, "unknown key");
    if (!WriteField(reader, item.value(), where, *field, record)) return false;
  }
  return true;
}

bool ToAnsiBytes(Reader& reader, const std::string& utf8, const std::string& path, std::size_t maxBytes,
                 std::string* out) {
  out->clear();
  if (utf8.empty()) return true;
  const std::u16string wide = host::Widen(utf8);
  if (wide.size() > 0x7FFFFFFF) return reader.Fail(path, "text is too long");
  const int wideChars = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  const int needed =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideChars, nullptr, 0, nullptr, &usedDefault);
  if (needed <= 0 || usedDefault) {
    return reader.Fail(path, "text has characters that the ANSI code page (932) cannot hold");
  }
  if (static_cast<std::size_t>(needed) > maxBytes) {
    return reader.Fail(path, "text is " + std::to_string(needed) + " bytes in the ANSI code page, at most " +
                                 std::to_string(maxBytes) + " fit");
  }
  out->resize(static_cast<std::size_t>(needed));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideChars, out->data(), needed, nullptr, nullptr);
  return true;
}

std::span<const RecordField> DevmodePublicFields() { return kDevmodePublic; }
std::span<const RecordField> PrivateOptFields() { return kPrivateOpt; }
std::span<const RecordField> LabelEntryFields() { return kLabelEntry; }
std::span<const RecordField> BarColorEntryFields() { return kBarColorEntry; }
std::span<const RecordField> CalendarEntryFields() { return kCalendarEntry; }
std::span<const RecordField> VariableEntryFields() { return kVariableEntry; }

}  // namespace qzprint
