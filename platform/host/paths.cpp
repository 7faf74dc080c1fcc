// Windows-looking paths on the host. A drive path ("c:\dir\file") lives in
// the state folder under "<state>/c/dir/file"; a path that starts with a
// separator is a host absolute path; anything else is relative to the
// current directory. Backslashes and slashes both separate.
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include "host_internal.h"

namespace host::detail {

namespace {

struct PathState {
  std::mutex mutex;
  std::string folder;  // empty until chosen
};

PathState& Paths() {
  static PathState state;
  return state;
}

std::string DefaultStateFolder() {
  if (const char* env = std::getenv("QZ_STATE_DIR"); env != nullptr && *env != '\0') return env;
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) temp = "/tmp";
  // Per user, so that two users of one machine do not share (or fail to
  // write) one folder.
  return (temp / ("qzlabel-state-" + std::to_string(::getuid()))).string();
}

std::string WithoutTrailingSlashes(std::string dir) {
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

bool IsDriveLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// The components below the drive root, with "." and ".." resolved on the
// text as Windows does; ".." never climbs above the drive root, so a drive
// path cannot leave its drive folder.
std::vector<std::string> DriveComponents(std::string_view rest) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find('/', start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string_view part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.emplace_back(part);
    }
    start = end + 1;
  }
  return parts;
}

// Windows file names ignore case: an existing entry whose name differs only
// in case is the one meant.
std::string ResolveComponent(const std::string& dir, const std::string& name) {
  std::error_code ec;
  if (std::filesystem::exists(dir + "/" + name, ec)) return name;
  const std::u16string wanted = Widen(name);
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (EqualsNoCase(Widen(entry), wanted)) return entry;
  }
  return name;
}

}  // namespace

std::string MapPath(std::u16string_view windowsPath, bool ensureDriveRoot) {
  std::string path = Narrow(windowsPath);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  // "\\?\c:\..." and "\\.\c:\..." name the same file as "c:\...".
  if ((path.rfind("//?/", 0) == 0 || path.rfind("//./", 0) == 0) && path.size() >= 6 && IsDriveLetter(path[4]) &&
      path[5] == ':') {
    path.erase(0, 4);
  }
  if (path.size() < 2 || !IsDriveLetter(path[0]) || path[1] != ':') return path;

  std::string result = StateFolder() + "/" + static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
  if (ensureDriveRoot) {
    std::error_code ec;
    std::filesystem::create_directories(result, ec);
  }
  for (const std::string& part : DriveComponents(std::string_view(path).substr(2))) {
    result += "/" + ResolveComponent(result, part);
  }
  return result;
}

}  // namespace host::detail

namespace host {

void SetStateFolder(const std::string& dir) {
  auto& state = detail::Paths();
  const std::lock_guard lock(state.mutex);
  state.folder = detail::WithoutTrailingSlashes(dir);
}

std::string StateFolder() {
  auto& state = detail::Paths();
  const std::lock_guard lock(state.mutex);
  if (state.folder.empty()) state.folder = detail::WithoutTrailingSlashes(detail::DefaultStateFolder());
  return state.folder;
}

std::string ToHostPath(std::u16string_view windowsPath) { return detail::MapPath(windowsPath, false); }

std::u16string ToWindowsPath(const std::string& hostPath) {
  std::string path = hostPath;
  const std::string prefix = StateFolder() + "/";
  if (path.rfind(prefix, 0) == 0 && path.size() > prefix.size() && detail::IsDriveLetter(path[prefix.size()]) &&
      (path.size() == prefix.size() + 1 || path[prefix.size() + 1] == '/')) {
    // Back into the drive it came from.
    const char drive = path[prefix.size()];
    std::string rest = path.substr(prefix.size() + 1);
    path = std::string(1, drive) + ":" + (rest.empty() ? "/" : rest);
  }
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return Widen(path);
}

}  // namespace host
