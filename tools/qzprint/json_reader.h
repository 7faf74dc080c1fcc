// Reading a job file's JSON with a path for every value, so that whatever
// is wrong is reported at the value that is wrong ("pages[1][0].color").
//
// Every Read... function returns false after recording the first error in
// the Reader; callers return at once, so the first error is the one shown.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace qzprint {

using Json = nlohmann::json;

// Where a value sits in the job file: "devmode.private.FileName",
// "pages[1][0].color". The empty path is the whole file.
std::string Member(const std::string& path, std::string_view key);
std::string Element(const std::string& path, std::size_t index);

struct JobError {
  std::string path;  // empty: the file as a whole
  std::string message;
};

class Reader {
 public:
  // Records the error (the first one wins) and returns false.
  bool Fail(const std::string& path, std::string message);
  const std::optional<JobError>& Error() const { return error_; }

  // An object whose every key is one of `allowed`.
  bool Object(const Json& value, const std::string& path, std::initializer_list<std::string_view> allowed);
  // An object; the caller checks the keys itself.
  bool AnyObject(const Json& value, const std::string& path);
  bool Array(const Json& value, const std::string& path, std::size_t maxSize);
  bool Integer(const Json& value, const std::string& path, std::int64_t min, std::int64_t max,
               std::int64_t* out);
  bool String(const Json& value, const std::string& path, std::string* out);
  bool Boolean(const Json& value, const std::string& path, bool* out);

 private:
  std::optional<JobError> error_;
};

// The member `key` of an object, or nullptr when it is absent.
const Json* Find(const Json& object, std::string_view key);

}  // namespace qzprint
