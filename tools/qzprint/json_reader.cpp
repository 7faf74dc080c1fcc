#include "tools/qzprint/json_reader.h"

#include <algorithm>

namespace qzprint {

namespace {

std::string TypeName(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "an array";
    case Json::value_t::string: return "a string";
    case Json::value_t::boolean: return "a boolean";
    case Json::value_t::number_float: return "a fractional number";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned: return "an integer";
    default: return "an unsupported value";
  }
}

}  // namespace

std::string Member(const std::string& path, std::string_view key) {
  return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string Element(const std::string& path, std::size_t index) {
  return path + "[" + std::to_string(index) + "]";
}

bool Reader::Fail(const std::string& path, std::string message) {
  if (!error_) error_ = JobError{path, std::move(message)};
  return false;
}

bool Reader::AnyObject(const Json& value, const std::string& path) {
  if (!value.is_object()) return Fail(path, "expected an object, found " + TypeName(value));
  return true;
}

bool Reader::Object(const Json& value, const std::string& path, std::initializer_list<std::string_view> allowed) {
  if (!AnyObject(value, path)) return false;
  for (const auto& item : value.items()) {
    if (std::find(allowed.begin(), allowed.end(), item.key()) == allowed.end()) {
      return Fail(Member(path, item.key()), "unknown key");
    }
  }
  return true;
}

bool Reader::Array(const Json& value, const std::string& path, std::size_t maxSize) {
  if (!value.is_array()) return Fail(path, "expected an array, found " + TypeName(value));
  if (value.size() > maxSize) {
    return Fail(path, "has " + std::to_string(value.size()) + " elements, at most " + std::to_string(maxSize) +
                          " are allowed");
  }
  return true;
}

bool Reader::Integer(const Json& value, const std::string& path, std::int64_t min, std::int64_t max,
                     std::int64_t* out) {
  const std::string range = std::to_string(min) + ".." + std::to_string(max);
  if (!value.is_number_integer()) return Fail(path, "expected an integer " + range + ", found " + TypeName(value));
  // Values beyond 64 bits arrive as unsigned: out of every range used here.
  if (value.is_number_unsigned() && value.get<std::uint64_t>() > static_cast<std::uint64_t>(max)) {
    return Fail(path, "value " + value.dump() + " is out of range " + range);
  }
  const auto number = value.get<std::int64_t>();
  if (number < min || number > max) return Fail(path, "value " + value.dump() + " is out of range " + range);
  *out = number;
  return true;
}

bool Reader::String(const Json& value, const std::string& path, std::string* out) {
  if (!value.is_string()) return Fail(path, "expected a string, found " + TypeName(value));
  *out = value.get<std::string>();
  return true;
}

bool Reader::Boolean(const Json& value, const std::string& path, bool* out) {
  if (!value.is_boolean()) return Fail(path, "expected true or false, found " + TypeName(value));
  *out = value.get<bool>();
  return true;
}

const Json* Find(const Json& object, std::string_view key) {
  if (!object.is_object()) return nullptr;
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

}  // namespace qzprint
