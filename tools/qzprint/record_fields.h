// The fields of the driver's records by the names a job file uses for them,
// with their byte layout: enough to write a JSON value straight into a
// packed record (DEVMODE public part, PrivateOpt, the option block entries).
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "platform/win.h"
#include "tools/qzprint/json_reader.h"

namespace qzprint {

enum class FieldType {
  kU8,
  kI16,
  kU16,
  kU32,
  kI32,
  kAnsi,       // ANSI text (system code page), `size` bytes with the NUL
  kWide,       // UTF-16 text, `size` characters with the NUL
  kSignature,  // exactly `size` ASCII characters, no NUL
  kPerLabel,   // one byte per label, ten labels, two bytes apart
};

struct RecordField {
  const char* name;
  std::size_t offset;
  FieldType type;
  std::size_t size = 0;  // text fields only
  DWORD dmFlag = 0;      // DEVMODE public fields: the dmFields flag the field sets
};

// Bytes the field occupies in its record.
std::size_t FieldBytes(const RecordField& field);

const RecordField* FindField(std::span<const RecordField> fields, std::string_view name);

// Writes `value` into the field at record + field.offset. Numbers must be
// integers that the field can hold; texts are UTF-8 in the job file and must
// fit the field with their NUL (ANSI texts: in the ANSI code page, without
// characters that the code page lacks).
bool WriteField(Reader& reader, const Json& value, const std::string& path, const RecordField& field, BYTE* record);

// Checks every key of `object` against the table and writes each value.
bool WriteFields(Reader& reader, const Json& object, const std::string& path, std::span<const RecordField> fields,
                 BYTE* record);

// UTF-8 text as ANSI (system code page) bytes without the NUL; false with an
// error at `path` when a character has no ANSI form or the bytes exceed maxBytes.
bool ToAnsiBytes(Reader& reader, const std::string& utf8, const std::string& path, std::size_t maxBytes,
                 std::string* out);

// The tables.
std::span<const RecordField> DevmodePublicFields();
std::span<const RecordField> PrivateOptFields();
std::span<const RecordField> LabelEntryFields();
std::span<const RecordField> BarColorEntryFields();
std::span<const RecordField> CalendarEntryFields();
std::span<const RecordField> VariableEntryFields();

}  // namespace qzprint
