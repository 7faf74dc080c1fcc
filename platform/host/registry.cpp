// The registry: a tree of keys under the four predefined roots, in memory.
// Key and value names compare without case; subkeys enumerate in name
// order and values in the order they were first set. An open key handle
// holds its key, so a key deleted under it answers ERROR_KEY_DELETED.
#include <array>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <unordered_map>

#include "host_internal.h"
#include "platform/host_syscalls.h"

namespace host::detail {

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr REGSAM kAllAccess = KEY_ALL_ACCESS;

struct Value {
  std::u16string name;
  DWORD type = REG_NONE;
  Bytes data;
};

struct Key {
  std::u16string name;
  Key* parent = nullptr;  // valid while the key is in the tree
  std::map<std::u16string, std::shared_ptr<Key>> subkeys;  // by folded name
  std::vector<Value> values;
  bool deleted = false;

  Value* FindValue(std::u16string_view valueName) {
    for (Value& v : values) {
      if (EqualsNoCase(v.name, valueName)) return &v;
    }
    return nullptr;
  }
  Key* FindSubkey(std::u16string_view subkeyName) {
    const auto it = subkeys.find(FoldCase(subkeyName));
    return it == subkeys.end() ? nullptr : it->second.get();
  }
};

struct OpenKey {
  std::shared_ptr<Key> key;
  REGSAM access = 0;
};

constexpr std::size_t kRootCount = 4;
const std::array<HKEY, kRootCount> kRoots = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};

struct Registry {
  std::mutex mutex;
  std::array<std::shared_ptr<Key>, kRootCount> roots;
  std::unordered_map<HKEY, OpenKey> handles;

  Registry() { ClearRoots(); }
  void ClearRoots() {
    for (auto& root : roots) {
      if (root != nullptr) MarkDeleted(*root);
      root = std::make_shared<Key>();
    }
  }
  static void MarkDeleted(Key& key) {
    key.deleted = true;
    key.parent = nullptr;
    for (auto& [name, child] : key.subkeys) MarkDeleted(*child);
  }
};

Registry& Reg() {
  static Registry registry;
  return registry;
}

int RootIndex(HKEY key) {
  for (std::size_t i = 0; i < kRoots.size(); ++i) {
    if (kRoots[i] == key) return static_cast<int>(i);
  }
  return -1;
}

// The key behind a handle, checked for the access a call needs.
LSTATUS Resolve(Registry& reg, HKEY handle, REGSAM needed, std::shared_ptr<Key>& key) {
  REGSAM access = kAllAccess;
  if (const int root = RootIndex(handle); root >= 0) {
    key = reg.roots[static_cast<std::size_t>(root)];
  } else {
    const auto it = reg.handles.find(handle);
    if (it == reg.handles.end()) return ERROR_INVALID_HANDLE;
    key = it->second.key;
    access = it->second.access;
  }
  if (key->deleted) return ERROR_KEY_DELETED;
  if ((access & needed) != needed) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

// Splits "a\b\c"; one trailing backslash is allowed. Empty components
// ("a\\b", a leading backslash) make the path invalid.
bool SplitPath(std::u16string_view path, std::vector<std::u16string_view>& parts) {
  parts.clear();
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  if (path.empty()) return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find(u'\\', start);
    const std::u16string_view part = path.substr(start, end == std::u16string_view::npos ? end : end - start);
    if (part.empty()) return false;
    parts.push_back(part);
    if (end == std::u16string_view::npos) return true;
    start = end + 1;
  }
}

std::shared_ptr<Key> Walk(const std::shared_ptr<Key>& from, const std::vector<std::u16string_view>& parts) {
  std::shared_ptr<Key> key = from;
  for (const std::u16string_view part : parts) {
    const auto it = key->subkeys.find(FoldCase(part));
    if (it == key->subkeys.end()) return nullptr;
    key = it->second;
  }
  return key;
}

std::shared_ptr<Key> WalkCreating(const std::shared_ptr<Key>& from, const std::vector<std::u16string_view>& parts,
                                  bool* created) {
  std::shared_ptr<Key> key = from;
  *created = false;
  for (const std::u16string_view part : parts) {
    auto& slot = key->subkeys[FoldCase(part)];
    if (slot == nullptr) {
      slot = std::make_shared<Key>();
      slot->name = std::u16string(part);
      slot->parent = key.get();
      *created = true;
    }
    key = slot;
  }
  return key;
}

void SetValue(Key& key, std::u16string_view name, DWORD type, const BYTE* data, std::size_t size) {
  Value* value = key.FindValue(name);
  if (value == nullptr) {
    key.values.push_back(Value{std::u16string(name), type, {}});
    value = &key.values.back();
  }
  value->type = type;
  value->data.assign(data, data + size);
}

std::u16string_view NameOf(LPCWSTR name) { return name == nullptr ? std::u16string_view() : std::u16string_view(name); }

HKEY NewKeyHandle(Registry& reg, std::shared_ptr<Key> key, REGSAM access) {
  const HKEY handle = NewHandle<HKEY>();
  reg.handles.emplace(handle, OpenKey{std::move(key), access});
  return handle;
}

void Export(const Key& key, HKEY root, const std::u16string& path, std::vector<SavedKey>& out) {
  SavedKey saved;
  saved.root = root;
  saved.path = path;
  for (const Value& v : key.values) saved.values.emplace_back(v.name, RegistryValue{v.type, v.data});
  out.push_back(std::move(saved));
  for (const auto& [folded, child] : key.subkeys) {
    Export(*child, root, path.empty() ? child->name : path + u"\\" + child->name, out);
  }
}

}  // namespace

// ---- what the rest of the host platform uses ----

std::optional<RegistryValue> RegistryRead(HKEY root, std::u16string_view keyPath, std::u16string_view valueName) {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  const int index = RootIndex(root);
  std::vector<std::u16string_view> parts;
  if (index < 0 || !SplitPath(keyPath, parts)) return std::nullopt;
  const auto key = Walk(reg.roots[static_cast<std::size_t>(index)], parts);
  if (key == nullptr) return std::nullopt;
  const Value* value = key->FindValue(valueName);
  if (value == nullptr) return std::nullopt;
  return RegistryValue{value->type, value->data};
}

bool RegistryWrite(HKEY root, std::u16string_view keyPath, std::u16string_view valueName, DWORD type,
                   const BYTE* data, std::size_t size) {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  const int index = RootIndex(root);
  std::vector<std::u16string_view> parts;
  if (index < 0 || !SplitPath(keyPath, parts)) return false;
  bool created = false;
  const auto key = WalkCreating(reg.roots[static_cast<std::size_t>(index)], parts, &created);
  SetValue(*key, valueName, type, data, size);
  return true;
}

void RegistryCreateKey(HKEY root, std::u16string_view keyPath) {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  const int index = RootIndex(root);
  std::vector<std::u16string_view> parts;
  if (index < 0 || !SplitPath(keyPath, parts)) return;
  bool created = false;
  WalkCreating(reg.roots[static_cast<std::size_t>(index)], parts, &created);
}

void RegistryDeleteTree(HKEY root, std::u16string_view keyPath) {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  const int index = RootIndex(root);
  std::vector<std::u16string_view> parts;
  if (index < 0 || !SplitPath(keyPath, parts) || parts.empty()) return;
  const auto key = Walk(reg.roots[static_cast<std::size_t>(index)], parts);
  if (key == nullptr) return;
  Key* parent = key->parent;
  Registry::MarkDeleted(*key);
  parent->subkeys.erase(FoldCase(key->name));
}

std::vector<SavedKey> ExportRegistry() {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::vector<SavedKey> out;
  for (std::size_t i = 0; i < kRoots.size(); ++i) Export(*reg.roots[i], kRoots[i], u"", out);
  return out;
}

void ImportRegistry(const std::vector<SavedKey>& keys) {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  reg.ClearRoots();
  for (const SavedKey& saved : keys) {
    const int index = RootIndex(saved.root);
    std::vector<std::u16string_view> parts;
    if (index < 0 || !SplitPath(saved.path, parts)) continue;
    bool created = false;
    const auto key = WalkCreating(reg.roots[static_cast<std::size_t>(index)], parts, &created);
    for (const auto& [name, value] : saved.values) {
      SetValue(*key, name, value.type, value.data.data(), value.data.size());
    }
  }
}

const std::vector<RootName>& RootNames() {
  static const std::vector<RootName> names = {
      {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
      {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
      {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
      {HKEY_USERS, "HKEY_USERS"},
  };
  return names;
}

// Open handles stay in the table (their keys now answer ERROR_KEY_DELETED)
// so that closing them later still succeeds.
void ResetRegistry() {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  reg.ClearRoots();
}

LSTATUS RegSetValueExWImpl(HKEY hKey, LPCWSTR lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
  if (lpData == nullptr && cbData != 0) return ERROR_INVALID_PARAMETER;
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::shared_ptr<Key> key;
  if (const LSTATUS status = Resolve(reg, hKey, KEY_SET_VALUE, key); status != ERROR_SUCCESS) return status;
  SetValue(*key, NameOf(lpValueName), dwType, lpData, cbData);
  return ERROR_SUCCESS;
}

}  // namespace host::detail

using host::detail::Key;
using host::detail::Reg;
using host::detail::Registry;

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired, PHKEY phkResult) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::shared_ptr<Key> base;
  if (const LSTATUS status = host::detail::Resolve(reg, hKey, 0, base); status != ERROR_SUCCESS) return status;
  const std::u16string_view path = host::detail::NameOf(lpSubKey);
  // A predefined key opened with no subkey is handed back as it is.
  if (path.empty() && host::detail::RootIndex(hKey) >= 0) {
    *phkResult = hKey;
    return ERROR_SUCCESS;
  }
  std::vector<std::u16string_view> parts;
  if (!host::detail::SplitPath(path, parts)) return ERROR_FILE_NOT_FOUND;
  auto key = host::detail::Walk(base, parts);
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  *phkResult = host::detail::NewKeyHandle(reg, std::move(key), samDesired);
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD /*Reserved*/, LPWSTR /*lpClass*/, DWORD /*dwOptions*/,
                        REGSAM samDesired, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                        LPDWORD lpdwDisposition) {
  if (phkResult == nullptr || lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  const std::u16string_view path(lpSubKey);
  if (!path.empty() && path.front() == u'\\') return ERROR_BAD_PATHNAME;
  std::vector<std::u16string_view> parts;
  if (!host::detail::SplitPath(path, parts)) return ERROR_BAD_PATHNAME;
  for (const std::u16string_view part : parts) {
    if (part.size() > host::detail::kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
  }
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::shared_ptr<Key> base;
  if (const LSTATUS status = host::detail::Resolve(reg, hKey, 0, base); status != ERROR_SUCCESS) return status;
  std::shared_ptr<Key> key = host::detail::Walk(base, parts);
  bool created = false;
  if (key == nullptr) {
    // Making a key needs the right to create subkeys under the given one.
    std::shared_ptr<Key> checked;
    if (const LSTATUS status = host::detail::Resolve(reg, hKey, KEY_CREATE_SUB_KEY, checked);
        status != ERROR_SUCCESS) {
      return status;
    }
    key = host::detail::WalkCreating(base, parts, &created);
  }
  if (lpdwDisposition != nullptr) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *phkResult = host::detail::NewKeyHandle(reg, std::move(key), samDesired);
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY hKey) {
  if (host::detail::RootIndex(hKey) >= 0) return ERROR_SUCCESS;
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  return reg.handles.erase(hKey) == 1 ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData) {
  if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) return ERROR_INVALID_PARAMETER;
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::shared_ptr<Key> key;
  if (const LSTATUS status = host::detail::Resolve(reg, hKey, KEY_QUERY_VALUE, key); status != ERROR_SUCCESS) {
    return status;
  }
  const host::detail::Value* value = key->FindValue(host::detail::NameOf(lpValueName));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (lpType != nullptr) *lpType = value->type;
  if (lpcbData == nullptr) return ERROR_SUCCESS;
  const auto size = static_cast<DWORD>(value->data.size());
  // No buffer: the size alone. A short buffer: the size and ERROR_MORE_DATA.
  if (lpData != nullptr && *lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  if (lpData != nullptr && size != 0) std::memcpy(lpData, value->data.data(), size);
  *lpcbData = size;
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                       DWORD cbData) {
  return host::Sys().RegSetValueExW(hKey, lpValueName, Reserved, dwType, lpData, cbData);
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::shared_ptr<Key> key;
  if (const LSTATUS status = host::detail::Resolve(reg, hKey, KEY_SET_VALUE, key); status != ERROR_SUCCESS) {
    return status;
  }
  const std::u16string_view name = host::detail::NameOf(lpValueName);
  for (auto it = key->values.begin(); it != key->values.end(); ++it) {
    if (host::detail::EqualsNoCase(it->name, name)) {
      key->values.erase(it);
      return ERROR_SUCCESS;
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

// A key with subkeys is refused, as is a predefined root.
LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::shared_ptr<Key> base;
  if (const LSTATUS status = host::detail::Resolve(reg, hKey, 0, base); status != ERROR_SUCCESS) return status;
  std::vector<std::u16string_view> parts;
  if (!host::detail::SplitPath(lpSubKey, parts)) return ERROR_FILE_NOT_FOUND;
  const std::shared_ptr<Key> key = host::detail::Walk(base, parts);
  if (key == nullptr) return ERROR_FILE_NOT_FOUND;
  if (key->parent == nullptr || !key->subkeys.empty()) return ERROR_ACCESS_DENIED;
  key->parent->subkeys.erase(host::detail::FoldCase(key->name));
  Registry::MarkDeleted(*key);
  return ERROR_SUCCESS;
}

LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD /*lpReserved*/,
                      LPWSTR lpClass, LPDWORD lpcchClass, void* lpftLastWriteTime) {
  if (lpName == nullptr || lpcchName == nullptr) return ERROR_INVALID_PARAMETER;
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::shared_ptr<Key> key;
  if (const LSTATUS status = host::detail::Resolve(reg, hKey, KEY_ENUMERATE_SUB_KEYS, key);
      status != ERROR_SUCCESS) {
    return status;
  }
  if (dwIndex >= key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  auto it = key->subkeys.begin();
  std::advance(it, dwIndex);
  const std::u16string& name = it->second->name;
  // The buffer must hold the name and its NUL; the count returned leaves the NUL out.
  if (name.size() + 1 > *lpcchName) return ERROR_MORE_DATA;
  std::memcpy(lpName, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
  *lpcchName = static_cast<DWORD>(name.size());
  if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) *lpClass = 0;
  if (lpcchClass != nullptr) *lpcchClass = 0;
  if (lpftLastWriteTime != nullptr) std::memset(lpftLastWriteTime, 0, 8);  // a FILETIME
  return ERROR_SUCCESS;
}

LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD /*lpReserved*/,
                      LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (lpValueName == nullptr || lpcchValueName == nullptr || (lpData != nullptr && lpcbData == nullptr)) {
    return ERROR_INVALID_PARAMETER;
  }
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  std::shared_ptr<Key> key;
  if (const LSTATUS status = host::detail::Resolve(reg, hKey, KEY_QUERY_VALUE, key); status != ERROR_SUCCESS) {
    return status;
  }
  if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
  const host::detail::Value& value = key->values[dwIndex];
  if (value.name.size() + 1 > *lpcchValueName) return ERROR_MORE_DATA;
  std::memcpy(lpValueName, value.name.c_str(), (value.name.size() + 1) * sizeof(WCHAR));
  *lpcchValueName = static_cast<DWORD>(value.name.size());
  if (lpType != nullptr) *lpType = value.type;
  if (lpcbData == nullptr) return ERROR_SUCCESS;
  const auto size = static_cast<DWORD>(value.data.size());
  if (lpData != nullptr && *lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  if (lpData != nullptr && size != 0) std::memcpy(lpData, value.data.data(), size);
  *lpcbData = size;
  return ERROR_SUCCESS;
}

namespace host {

void RegistrySet(HKEY root, std::u16string_view keyPath, std::u16string_view valueName, DWORD type,
                 const Bytes& data) {
  detail::RegistryWrite(root, keyPath, valueName, type, data.data(), data.size());
}

std::optional<RegistryValue> RegistryGet(HKEY root, std::u16string_view keyPath, std::u16string_view valueName) {
  return detail::RegistryRead(root, keyPath, valueName);
}

bool RegistryKeyExists(HKEY root, std::u16string_view keyPath) {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  const int index = detail::RootIndex(root);
  std::vector<std::u16string_view> parts;
  if (index < 0 || !detail::SplitPath(keyPath, parts)) return false;
  return detail::Walk(reg.roots[static_cast<std::size_t>(index)], parts) != nullptr;
}

int LiveKeyHandleCount() {
  Registry& reg = Reg();
  const std::lock_guard lock(reg.mutex);
  return static_cast<int>(reg.handles.size());
}

}  // namespace host
