#include <string>
#include <vector>

#include "host_fixture.h"
#include "platform/win.h"

namespace {

constexpr const WCHAR* kSoftware = u"Software\\Maker\\Label";

class RegistryTest : public HostTest {
 protected:
  HKEY Create(HKEY parent, const WCHAR* path, REGSAM access = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, disposition),
              ERROR_SUCCESS);
    return key;
  }

  static LSTATUS SetDword(HKEY key, const WCHAR* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
};

TEST_F(RegistryTest, CreateMakesIntermediateKeysAndReportsDisposition) {
  DWORD disposition = 0;
  HKEY key = Create(HKEY_CURRENT_USER, kSoftware, KEY_ALL_ACCESS, &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  EXPECT_TRUE(host::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\Maker"));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  // Names ignore case: this is the same key.
  key = Create(HKEY_CURRENT_USER, u"SOFTWARE\\maker\\LABEL", KEY_ALL_ACCESS, &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(host::LiveKeyHandleCount(), 0);
}

TEST_F(RegistryTest, OpenMissingKeyIsFileNotFound) {
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"No\\Such\\Key", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"a\\\\b", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, PredefinedKeyWithoutSubkeyOpensAsItself) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(key, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, QueryValueSizeSemantics) {
  HKEY key = Create(HKEY_CURRENT_USER, kSoftware);
  const BYTE data[] = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(RegSetValueExW(key, u"Block", 0, REG_BINARY, data, sizeof data), ERROR_SUCCESS);

  struct Case {
    const char* what;
    bool withBuffer;
    DWORD capacity;
    LSTATUS status;
  };
  static const Case kCases[] = {
      {"size query without a buffer", false, 0, ERROR_SUCCESS},
      {"buffer one byte short", true, 5, ERROR_MORE_DATA},
      {"empty buffer", true, 0, ERROR_MORE_DATA},
      {"exact buffer", true, 6, ERROR_SUCCESS},
      {"larger buffer", true, 64, ERROR_SUCCESS},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    BYTE buffer[64] = {};
    DWORD size = c.capacity;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"block", nullptr, &type, c.withBuffer ? buffer : nullptr, &size), c.status);
    EXPECT_EQ(size, 6u);  // always the value's size
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    if (c.withBuffer && c.status == ERROR_SUCCESS) {
      EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 6), std::vector<BYTE>(data, data + 6));
    }
    if (c.status == ERROR_MORE_DATA) {
      EXPECT_EQ(buffer[0], 0) << "a short buffer is left alone";
    }
  }
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DefaultValueIsTheEmptyName) {
  HKEY key = Create(HKEY_CURRENT_USER, kSoftware);
  ASSERT_EQ(SetDword(key, nullptr, 7), ERROR_SUCCESS);
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);
  const auto viaHost = host::RegistryGet(HKEY_CURRENT_USER, kSoftware, u"");
  ASSERT_TRUE(viaHost.has_value());
  EXPECT_EQ(viaHost->type, static_cast<DWORD>(REG_DWORD));
  RegCloseKey(key);
}

TEST_F(RegistryTest, ValueNamesIgnoreCaseAndSettingReplaces) {
  HKEY key = Create(HKEY_CURRENT_USER, kSoftware);
  ASSERT_EQ(SetDword(key, u"PortNo", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, u"PORTNO", 2), ERROR_SUCCESS);
  WCHAR name[32];
  DWORD nameLength = 32;
  DWORD value = 0;
  DWORD size = sizeof value;
  ASSERT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"PortNo") << "the first spelling stays";
  EXPECT_EQ(value, 2u);
  nameLength = 32;
  EXPECT_EQ(RegEnumValueW(key, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegDeleteValueW(key, u"portno"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, u"portno"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DeleteKeyRefusesKeyWithSubkeys) {
  RegCloseKey(Create(HKEY_CURRENT_USER, u"Software\\Maker\\Label\\Ports"));
  HKEY label = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSoftware, 0, KEY_ALL_ACCESS, &label), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, kSoftware), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyW(label, u"ports"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(label, u"Ports"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, kSoftware), ERROR_SUCCESS);

  // The open handle now names a deleted key.
  EXPECT_EQ(SetDword(label, u"x", 1), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(label), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED) << "a root cannot be deleted";
}

TEST_F(RegistryTest, EnumeratesSubkeysInNameOrder) {
  HKEY ports = Create(HKEY_LOCAL_MACHINE, u"Ports");
  for (const WCHAR* name : {u"b-port", u"A-Port", u"c-port"}) RegCloseKey(Create(ports, name));

  std::vector<std::u16string> names;
  for (DWORD i = 0;; ++i) {
    WCHAR name[16];
    DWORD length = 16;
    const LSTATUS status = RegEnumKeyExW(ports, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(length, std::u16string(name).size()) << "the count leaves out the NUL";
    names.emplace_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"A-Port", u"b-port", u"c-port"}));

  // Room for the six characters but not the NUL.
  WCHAR small[6];
  DWORD length = 6;
  EXPECT_EQ(RegEnumKeyExW(ports, 0, small, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  RegCloseKey(ports);
}

TEST_F(RegistryTest, EnumValueReportsDataSizeWhenBufferShort) {
  HKEY key = Create(HKEY_CURRENT_USER, kSoftware);
  const BYTE data[] = {9, 8, 7};
  ASSERT_EQ(RegSetValueExW(key, u"Three", 0, REG_BINARY, data, 3), ERROR_SUCCESS);
  WCHAR name[16];
  DWORD nameLength = 16;
  BYTE buffer[2];
  DWORD size = sizeof buffer;
  EXPECT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 3u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, AccessRightsOfTheHandleAreEnforced) {
  RegCloseKey(Create(HKEY_CURRENT_USER, kSoftware));
  HKEY readOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSoftware, 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(readOnly, u"x", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueW(readOnly, u"x"), ERROR_ACCESS_DENIED);
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyExW(readOnly, u"New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_ACCESS_DENIED);
  RegCloseKey(readOnly);

  HKEY writeOnly = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kSoftware, 0, KEY_SET_VALUE, &writeOnly), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(writeOnly, u"x", 1), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(writeOnly, u"x", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  RegCloseKey(writeOnly);
}

TEST_F(RegistryTest, BadHandlesAndPaths) {
  const HKEY bogus = reinterpret_cast<HKEY>(0x4242);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(bogus, u"x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(bogus, u"x", 1), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);

  HKEY key = Create(HKEY_CURRENT_USER, kSoftware);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "closed twice";

  HKEY created = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"\\Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                            nullptr),
            ERROR_BAD_PATHNAME);
}

TEST_F(RegistryTest, HostHelpersSeeTheSameTree) {
  host::RegistrySet(HKEY_LOCAL_MACHINE, u"System\\Test", u"Value", REG_BINARY, host::Bytes{0xAA, 0xBB});
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"system\\test", 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE buffer[2] = {};
  DWORD size = 2;
  EXPECT_EQ(RegQueryValueExW(key, u"VALUE", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(buffer[1], 0xBB);
  RegCloseKey(key);
  EXPECT_FALSE(host::RegistryGet(HKEY_LOCAL_MACHINE, u"System\\Test", u"Other").has_value());
  EXPECT_FALSE(host::RegistryKeyExists(HKEY_LOCAL_MACHINE, u"System\\Nothing"));
}

}  // namespace
