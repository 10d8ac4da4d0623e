#include "platform/registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/test_host.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::StartsWith;

const BYTE* bytesOf(std::string_view text) { return reinterpret_cast<const BYTE*>(text.data()); }

LONG setString(HKEY key, const char* name, std::string_view text) {
  std::string terminated(text);
  return RegSetValueEx(key, name, REG_SZ, bytesOf(terminated), static_cast<DWORD>(terminated.size() + 1));
}

LONG setDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueEx(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// Asks for the size first, then for the data, as the programs do.
std::vector<BYTE> query(HKEY key, const char* name, DWORD* type = nullptr) {
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key, name, type, nullptr, &size), ERROR_SUCCESS) << name;
  std::vector<BYTE> data(size);
  EXPECT_EQ(RegQueryValueEx(key, name, nullptr, data.data(), &size), ERROR_SUCCESS) << name;
  EXPECT_EQ(size, data.size());
  return data;
}

std::vector<BYTE> sz(std::string_view text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::string enumKey(HKEY key, DWORD index) {
  char name[64];
  DWORD size = sizeof name;
  LONG status = RegEnumKeyEx(key, index, name, &size);
  return status == ERROR_SUCCESS ? std::string(name, size) : "status " + std::to_string(status);
}

class Registry : public ::testing::Test {
 protected:
  HKEY create(HKEY parent, const char* path, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = 0;
    EXPECT_EQ(RegCreateKeyEx(parent, path, access, &key, nullptr), ERROR_SUCCESS) << path;
    return key;
  }

  Hive hive_;
  ScopedHive use_{hive_};
};

TEST_F(Registry, CreateMakesParentsAndOpenFindsKeysWithoutLetterCase) {
  ScopedKey drives;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Quillon\\Drives", KEY_ALL_ACCESS, drives.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ScopedKey again;
  ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\quillon\\DRIVES", KEY_ALL_ACCESS, again.out(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

  ScopedKey quillon;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "software\\QUILLON", 0, KEY_READ, quillon.out()), ERROR_SUCCESS);
  EXPECT_EQ(enumKey(quillon.get(), 0), "Drives") << "names keep the case they were created with";
  ScopedKey relative;
  EXPECT_EQ(RegOpenKeyEx(quillon.get(), "drives\\", 0, KEY_READ, relative.out()), ERROR_SUCCESS)
      << "one trailing backslash is ignored";

  HKEY missing = 123;
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Nothing", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, 0u);
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\\\Quillon", 0, KEY_READ, &missing), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND)
      << "each root has its own tree";
  HKEY root = 0;
  EXPECT_EQ(RegOpenKeyEx(HKEY_DYN_DATA, nullptr, 0, KEY_READ, &root), ERROR_SUCCESS);
  EXPECT_EQ(root, HKEY_DYN_DATA);
}

TEST_F(Registry, QueryGivesTheSizeAndMoreDataAsWin32Does) {
  ScopedKey key(create(HKEY_LOCAL_MACHINE, "Software\\Quillon"));
  ASSERT_EQ(setString(key.get(), "Path", "C:\\Q"), ERROR_SUCCESS);

  DWORD type = REG_NONE;
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key.get(), "PATH", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 5u) << "the terminator counts";

  BYTE buffer[8] = {'#', '#', '#', '#', '#', '#', '#', 0};
  size = 4;
  EXPECT_EQ(RegQueryValueEx(key.get(), "path", nullptr, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(buffer[0], '#') << "nothing copied into a buffer that is too small";
  size = 5;
  EXPECT_EQ(RegQueryValueEx(key.get(), "path", nullptr, buffer, &size), ERROR_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "C:\\Q");
  EXPECT_EQ(RegQueryValueEx(key.get(), "path", nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);

  EXPECT_EQ(RegQueryValueEx(key.get(), "Other", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(setDword(key.get(), "Count", 0x1f), ERROR_SUCCESS);
  EXPECT_THAT(query(key.get(), "count", &type), ElementsAre(0x1f, 0, 0, 0));
  EXPECT_EQ(type, REG_DWORD);
}

TEST_F(Registry, StringsAndTheDefaultValueKeepWhatWasSet) {
  ScopedKey key(create(HKEY_CURRENT_USER, "Software\\Quillon"));
  ASSERT_EQ(RegSetValueEx(key.get(), "Raw", REG_SZ, bytesOf("abc"), 3), ERROR_SUCCESS);
  EXPECT_THAT(query(key.get(), "Raw"), ElementsAre('a', 'b', 'c')) << "no terminator added";
  ASSERT_EQ(setString(key.get(), "raw", "xy"), ERROR_SUCCESS);
  EXPECT_EQ(query(key.get(), "RAW"), sz("xy")) << "set with another case replaces the value";

  DWORD size = 0;
  EXPECT_EQ(RegQueryValueEx(key.get(), nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(setString(key.get(), nullptr, "default"), ERROR_SUCCESS);
  EXPECT_EQ(query(key.get(), ""), sz("default")) << "a null name is the default value, named \"\"";
  ASSERT_EQ(RegSetValueEx(key.get(), "Empty", REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_TRUE(query(key.get(), "Empty").empty());
  EXPECT_EQ(RegSetValueEx(key.get(), "Bad", REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

// The tree as the machine builder writes and reads it without handles: the same keys and
// values as the Win32 calls see, whatever the letter case.
TEST(HiveKeys, PathsAndValueNamesIgnoreLetterCaseAndKeepTheFirstSpelling) {
  Hive hive;
  Hive::Key& machine = hive.root(HKEY_LOCAL_MACHINE);
  Hive::Key& cdrom = machine.make("System\\CurrentControlSet\\Services\\Cdrom");
  cdrom.set("Autorun", {REG_DWORD, {1, 0, 0, 0}});
  cdrom.set("AUTORUN", {REG_DWORD, {0, 0, 0, 0}});
  EXPECT_EQ(&machine.make("SYSTEM\\currentcontrolset\\services\\CDROM"), &cdrom);
  EXPECT_EQ(machine.find("system\\CurrentControlSet\\Services\\cdrom"), &cdrom);
  EXPECT_EQ(machine.find("System\\CurrentControlSet\\Services\\Atapi"), nullptr);
  ASSERT_EQ(cdrom.values.size(), 1u);
  EXPECT_EQ(cdrom.values[0].name, "Autorun");
  ASSERT_NE(cdrom.value("autorun"), nullptr);
  EXPECT_EQ(cdrom.value("autorun")->data, (std::vector<BYTE>{0, 0, 0, 0}));
  EXPECT_EQ(cdrom.value("Missing"), nullptr);
  EXPECT_EQ(cdrom.name, "Cdrom");

  ScopedHive use(hive);
  ScopedKey key;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\CDROM", 0, KEY_READ, key.out()),
            ERROR_SUCCESS);
  DWORD value = 7, size = sizeof(value), type = 0;
  ASSERT_EQ(RegQueryValueEx(key.get(), "AutoRun", &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 0u);
}

TEST(RegistryAccess, EachCallNeedsTheAccessItsKeyWasOpenedWith) {
  using Call = LONG (*)(HKEY);
  const Call query = [](HKEY k) { return RegQueryValueEx(k, "V", nullptr, nullptr, nullptr); };
  const Call set = [](HKEY k) { return setDword(k, "V", 2); };
  const Call remove = [](HKEY k) { return RegDeleteValue(k, "V"); };
  const Call enumKeys = [](HKEY k) {
    char name[8];
    DWORD size = sizeof name;
    return RegEnumKeyEx(k, 0, name, &size);
  };
  const Call enumValues = [](HKEY k) {
    char name[8];
    DWORD size = sizeof name;
    return RegEnumValue(k, 0, name, &size, nullptr, nullptr, nullptr);
  };
  const Call createNew = [](HKEY k) {
    ScopedKey made;
    return RegCreateKeyEx(k, "New", KEY_READ, made.out(), nullptr);
  };
  const Call openExisting = [](HKEY k) {
    ScopedKey made;
    return RegCreateKeyEx(k, "Sub", KEY_READ, made.out(), nullptr);
  };
  struct Case {
    REGSAM access;
    Call call;
    LONG expected;
    const char* what;
  };
  const Case cases[] = {
      {KEY_READ, query, ERROR_SUCCESS, "query with KEY_READ"},
      {KEY_READ, enumKeys, ERROR_SUCCESS, "enumerate keys with KEY_READ"},
      {KEY_READ, enumValues, ERROR_SUCCESS, "enumerate values with KEY_READ"},
      {KEY_READ, set, ERROR_ACCESS_DENIED, "set with KEY_READ"},
      {KEY_READ, remove, ERROR_ACCESS_DENIED, "delete value with KEY_READ"},
      {KEY_READ, createNew, ERROR_ACCESS_DENIED, "create a key with KEY_READ"},
      {KEY_READ, openExisting, ERROR_SUCCESS, "create of an existing key only opens it"},
      {KEY_ENUMERATE_SUB_KEYS, query, ERROR_ACCESS_DENIED, "query with KEY_ENUMERATE_SUB_KEYS"},
      {KEY_QUERY_VALUE, enumKeys, ERROR_ACCESS_DENIED, "enumerate keys with KEY_QUERY_VALUE"},
      {KEY_WRITE, query, ERROR_ACCESS_DENIED, "query with KEY_WRITE"},
      {KEY_WRITE, enumValues, ERROR_ACCESS_DENIED, "enumerate values with KEY_WRITE"},
      {KEY_WRITE, set, ERROR_SUCCESS, "set with KEY_WRITE"},
      {KEY_WRITE, createNew, ERROR_SUCCESS, "create with KEY_WRITE"},
      {KEY_SET_VALUE, remove, ERROR_SUCCESS, "delete value with KEY_SET_VALUE"},
      {KEY_SET_VALUE, createNew, ERROR_ACCESS_DENIED, "create with KEY_SET_VALUE"},
      {0x80000000, query, ERROR_SUCCESS, "GENERIC_READ reads"},
      {0x80000000, set, ERROR_ACCESS_DENIED, "GENERIC_READ does not write"},
  };
  for (const Case& c : cases) {
    Hive hive = Hive::fromText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Acl\\Sub]\n[HKEY_LOCAL_MACHINE\\Acl]\n\"V\"=dword:00000001\n");
    ScopedHive use(hive);
    ScopedKey key;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Acl", 0, c.access, key.out()), ERROR_SUCCESS);
    EXPECT_EQ(c.call(key.get()), c.expected) << c.what;
  }
}

// That is how the programs tell an administrator: only one may change the machine's keys.
TEST(RegistryAccess, AUserWhoIsNoAdministratorCannotChangeTheMachine) {
  Hive hive = Hive::fromText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Sub]\n\"V\"=dword:00000001\n");
  ScopedHive use(hive);
  testing::FakeHost user;
  user.administrator = false;
  ScopedHost scoped(user);
  for (REGSAM access : {KEY_ALL_ACCESS, KEY_SET_VALUE, KEY_CREATE_SUB_KEY, KEY_WRITE, REGSAM{0x40000000}, REGSAM{0x10000}}) {
    ScopedKey key;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, access, key.out()), ERROR_ACCESS_DENIED) << access;
    EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software", access, key.out(), nullptr), ERROR_ACCESS_DENIED) << access;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, nullptr, 0, access, key.out()), ERROR_ACCESS_DENIED) << access;
  }
  ScopedKey software;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, software.out()), ERROR_SUCCESS);
  ScopedKey key;
  EXPECT_EQ(RegOpenKeyEx(software.get(), "Sub", 0, KEY_SET_VALUE, key.out()), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyEx(software.get(), "New", KEY_READ, key.out(), nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "New", KEY_READ, key.out(), nullptr), ERROR_ACCESS_DENIED);
  EXPECT_EQ(setDword(HKEY_LOCAL_MACHINE, "V", 2), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Sub"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyEx(software.get(), "Sub", 0, KEY_READ, key.out()), ERROR_SUCCESS) << "reading stays allowed";
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Mine", KEY_ALL_ACCESS, key.out(), nullptr), ERROR_SUCCESS);

  user.administrator = true;
  EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS, key.out()), ERROR_SUCCESS);
}

TEST_F(Registry, UnknownAndClosedHandlesAreInvalid) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software");
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  char name[8];
  DWORD size = sizeof name;
  HKEY result = 0;
  for (HKEY stale : {key, HKEY{0x7777}, HKEY{0}}) {
    EXPECT_EQ(RegCloseKey(stale), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueEx(stale, "V", nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(setDword(stale, "V", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumKeyEx(stale, 0, name, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumValue(stale, 0, name, &size, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteValue(stale, "V"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyEx(stale, "", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCreateKeyEx(stale, "X", KEY_READ, &result, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKey(stale, "X"), ERROR_INVALID_HANDLE);
  }
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(enumKey(HKEY_LOCAL_MACHINE, 0), "Software") << "a predefined key stays open";

  HKEY held = 0;
  {
    ScopedKey scoped(create(HKEY_LOCAL_MACHINE, "Software"));
    held = scoped.get();
  }
  EXPECT_EQ(RegCloseKey(held), ERROR_INVALID_HANDLE) << "ScopedKey closed it";

  ScopedKey mine(create(HKEY_LOCAL_MACHINE, "Software"));
  Hive other;
  ScopedHive useOther(other);
  EXPECT_EQ(RegEnumKeyEx(mine.get(), 0, name, &size), ERROR_INVALID_HANDLE) << "a handle belongs to its hive";
}

TEST_F(Registry, SubkeysEnumerateSortedAndValuesInTheOrderSet) {
  ScopedKey key(create(HKEY_LOCAL_MACHINE, "Software"));
  for (const char* name : {"beta", "Alpha", "gamma"}) ScopedKey(create(key.get(), name));
  EXPECT_EQ(enumKey(key.get(), 0), "Alpha");
  EXPECT_EQ(enumKey(key.get(), 2), "gamma");
  EXPECT_EQ(enumKey(key.get(), 3), "status " + std::to_string(ERROR_NO_MORE_ITEMS));
  char name[8];
  DWORD nameSize = 5;
  EXPECT_EQ(RegEnumKeyEx(key.get(), 0, name, &nameSize), ERROR_MORE_DATA);
  EXPECT_EQ(nameSize, 6u) << "room for \"Alpha\" and its terminator";

  ASSERT_EQ(setString(key.get(), "Zed", "last letter"), ERROR_SUCCESS);
  ASSERT_EQ(setDword(key.get(), "able", 7), ERROR_SUCCESS);
  DWORD type = 0;
  BYTE data[4];
  DWORD dataSize = sizeof data;
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValue(key.get(), 0, name, &nameSize, &type, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 12u);
  EXPECT_EQ(type, REG_SZ);
  nameSize = sizeof name;
  dataSize = sizeof data;
  ASSERT_EQ(RegEnumValue(key.get(), 1, name, &nameSize, &type, data, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, nameSize), "able");
  EXPECT_THAT(data, ElementsAre(7, 0, 0, 0));
  nameSize = 4;
  EXPECT_EQ(RegEnumValue(key.get(), 1, name, &nameSize, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(nameSize, 5u);
  nameSize = sizeof name;
  EXPECT_EQ(RegEnumValue(key.get(), 2, name, &nameSize, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(Registry, DeleteKeyTakesOnlyLeavesAndItsHandlesStayDeleted) {
  ScopedKey leaf(create(HKEY_LOCAL_MACHINE, "Software\\Quillon"));
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software"), ERROR_ACCESS_DENIED) << "it has a subkey";
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Nothing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED) << "a root is never deleted";
  ASSERT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\quillon"), ERROR_SUCCESS);
  EXPECT_EQ(setDword(leaf.get(), "V", 1), ERROR_KEY_DELETED);

  ScopedKey recreated(create(HKEY_LOCAL_MACHINE, "Software\\Quillon"));
  EXPECT_EQ(setDword(leaf.get(), "V", 1), ERROR_KEY_DELETED) << "a new key of the same name is another key";
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Quillon"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software"), ERROR_SUCCESS);

  ScopedKey key(create(HKEY_CURRENT_USER, "Software"));
  ASSERT_EQ(setDword(key.get(), "Gone", 1), ERROR_SUCCESS);
  ASSERT_EQ(setDword(key.get(), "Kept", 2), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key.get(), "GONE"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValue(key.get(), "Gone"), ERROR_FILE_NOT_FOUND);
  EXPECT_THAT(query(key.get(), "Kept"), ElementsAre(2, 0, 0, 0));
}

TEST(HiveText, ReadsEveryKindOfValue) {
  Hive hive = Hive::fromText(
      "REGEDIT4\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Quillon]\r\n"
      "@=\"default\"\r\n"
      "\"Mode\"=\"first\"\r\n"
      "\"Path\"=\"C:\\\\Quillon\\\\\\\"x\\\"\"\r\n"
      "\"Count\"=dword:0000001F\r\n"
      "\"Blob\"=hex:01,ab,\\\r\n"
      "  FF\r\n"
      "\"Env\"=hex(2):25,00\r\n"
      "\"Name\"=\"Ger\xc3\xa4t\"\r\n"
      "\"Say \\\"hi\\\"\"=\"\"\r\n"
      "[hkey_local_machine\\SOFTWARE\\quillon]\r\n"
      "\"mode\"=\"again\"\r\n");
  ScopedHive use(hive);
  ScopedKey key;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Quillon", 0, KEY_READ, key.out()), ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_EQ(query(key.get(), nullptr), sz("default"));
  EXPECT_EQ(query(key.get(), "Path"), sz("C:\\Quillon\\\"x\""));
  EXPECT_EQ(query(key.get(), "Mode"), sz("again")) << "a later line for the same value replaces it";
  EXPECT_THAT(query(key.get(), "Count", &type), ElementsAre(0x1f, 0, 0, 0));
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_THAT(query(key.get(), "Blob", &type), ElementsAre(0x01, 0xab, 0xff));
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_THAT(query(key.get(), "Env", &type), ElementsAre(0x25, 0));
  EXPECT_EQ(type, 2u);
  EXPECT_EQ(query(key.get(), "Name"), sz("Ger\xc3\xa4t"));
  EXPECT_EQ(query(key.get(), "say \"HI\""), sz(""));

  char name[16];
  DWORD size = sizeof name;
  ASSERT_EQ(RegEnumValue(key.get(), 1, name, &size, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, size), "Mode") << "the name as first written";
}

TEST(HiveText, WritesSortedEscapedWrappedTextThatReadsBackTheSame) {
  Hive hive;
  ScopedHive use(hive);
  ScopedKey quillon, user, alpha;
  ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Quillon", KEY_ALL_ACCESS, quillon.out(), nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "Software\\Alpha", KEY_ALL_ACCESS, alpha.out(), nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Quillon", KEY_ALL_ACCESS, user.out(), nullptr), ERROR_SUCCESS);
  std::vector<BYTE> blob(30);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i);
  const BYTE shortDword[] = {1, 2};
  ASSERT_EQ(setString(quillon.get(), "Zeta", "z"), ERROR_SUCCESS);
  ASSERT_EQ(setString(quillon.get(), "Path", "C:\\Quillon \"new\""), ERROR_SUCCESS);
  ASSERT_EQ(setString(quillon.get(), nullptr, "x"), ERROR_SUCCESS);
  ASSERT_EQ(setDword(quillon.get(), "Count", 0x1f), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(quillon.get(), "Blob", REG_BINARY, blob.data(), 30), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(quillon.get(), "Raw", REG_SZ, bytesOf("abc"), 3), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(quillon.get(), "Lines", REG_SZ, bytesOf("a\nb"), 4), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(quillon.get(), "Short", REG_DWORD, shortDword, 2), ERROR_SUCCESS);
  ASSERT_EQ(setString(user.get(), "Language", "de"), ERROR_SUCCESS);
  ASSERT_EQ(setDword(HKEY_DYN_DATA, "Boot", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueEx(quillon.get(), "Two\nlines", REG_BINARY, nullptr, 0), ERROR_INVALID_PARAMETER)
      << "a name the file cannot hold";

  const std::string expected =
      "REGEDIT4\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software]\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Quillon]\n"
      "\"Language\"=\"de\"\n"
      "\n"
      "[HKEY_DYN_DATA]\n"
      "\"Boot\"=dword:00000001\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software]\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Alpha]\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Quillon]\n"
      "\"Zeta\"=\"z\"\n"
      "\"Path\"=\"C:\\\\Quillon \\\"new\\\"\"\n"
      "@=\"x\"\n"
      "\"Count\"=dword:0000001f\n"
      "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
      "  16,17,18,19,1a,1b,1c,1d\n"
      "\"Raw\"=hex(1):61,62,63\n"
      "\"Lines\"=hex(1):61,0a,62,00\n"
      "\"Short\"=hex(4):01,02\n"
      "\n";
  EXPECT_EQ(hive.toText(), expected);
  EXPECT_EQ(Hive::fromText(expected).toText(), expected);
}

TEST(HiveText, RefusesMalformedTextNamingTheLine) {
  const std::string key = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n";
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"", "line 1: missing REGEDIT4 header"},
      {"REGEDIT5\n[HKEY_LOCAL_MACHINE\\K]\n", "line 1: missing REGEDIT4 header"},
      {"\nREGEDIT4\n", "line 1: missing REGEDIT4 header"},
      {"REGEDIT4\n\n\"a\"=\"b\"\n", "line 3: value outside any key"},
      {"REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n", "line 2: unknown root key 'HKEY_CLASSES_ROOT'"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n", "line 2: section without closing ']'"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\K]\n", "line 2: empty key name"},
      {key + "\"a\"=\"b\n", "line 3: unterminated string"},
      {key + "\"a\n", "line 3: unterminated string"},
      {key + "\"a\\n\"=\"b\"\n", "line 3: unknown escape '\\n'"},
      {key + "\"a\"=\"b\" c\n", "line 3: unexpected text after the string"},
      {key + "\"a\"\n", "line 3: value line without '='"},
      {key + "@ \"b\"\n", "line 3: value line without '='"},
      {key + "a=\"b\"\n", "line 3: neither a section, a value nor a comment"},
      {key + "\"a\"=dword:1f\n", "line 3: dword needs 8 hex digits"},
      {key + "\"a\"=dword:0000001g\n", "line 3: dword needs 8 hex digits"},
      {key + "\"a\"=dword:000000001\n", "line 3: dword needs 8 hex digits"},
      {key + "\"a\"=hex:01,zz\n", "line 3: bad hex byte 'zz'"},
      {key + "\"a\"=hex:01,,02\n", "line 3: bad hex byte ''"},
      {key + "\"a\"=hex:01,\\\n  02,1\n", "line 4: bad hex byte '1'"},
      {key + "\"a\"=hex:01,\\\n", "line 3: hex list continues past the end"},
      {key + "\"a\"=hex(q):01\n", "line 3: bad value type in hex(...)"},
      {key + "\"a\"=str:x\n", "line 3: unknown value data 'str:x'"},
  };
  for (const Case& c : cases) {
    try {
      Hive::fromText(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const HiveError& error) {
      EXPECT_THAT(error.what(), StartsWith(c.message)) << c.text;
    }
  }
}

TEST(ActiveHive, IsAnEmptyHiveUntilAScopeInstallsAnother) {
  Hive* outside = &activeHive();
  EXPECT_EQ(outside->toText(), "REGEDIT4\n\n");
  {
    Hive mine;
    ScopedHive use(mine);
    EXPECT_EQ(&activeHive(), &mine);
  }
  EXPECT_EQ(&activeHive(), outside);
}

class HiveFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("registry_test_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string path() const { return (folder_ / "registry.reg").native(); }
  void write(const std::string& text) const { std::ofstream(path(), std::ios::binary) << text; }
  std::string read() const {
    std::ifstream in(path(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().native());
    return names;
  }

  fs::path folder_;
  const std::string text_ = "REGEDIT4\n; kept until the first change\n[HKEY_LOCAL_MACHINE\\Software\\Quillon]\n\"Mode\"=dword:00000001\n";
};

TEST_F(HiveFile, EveryChangeIsWrittenBackWholeThroughATemporaryFile) {
  write(text_);
  Hive hive = Hive::openFile(path());
  ScopedHive use(hive);
  ScopedKey key;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Quillon", 0, KEY_ALL_ACCESS, key.out()), ERROR_SUCCESS);
  EXPECT_THAT(query(key.get(), "Mode"), ElementsAre(1, 0, 0, 0));
  EXPECT_EQ(read(), text_) << "reading changes nothing";

  ASSERT_EQ(setDword(key.get(), "Mode", 2), ERROR_SUCCESS);
  EXPECT_EQ(read(), hive.toText());
  EXPECT_THAT(read(), ::testing::HasSubstr("\"Mode\"=dword:00000002\n"));
  EXPECT_THAT(files(), ElementsAre("registry.reg")) << "no temporary file left behind";

  ScopedKey drives;
  ASSERT_EQ(RegCreateKeyEx(key.get(), "Drives", KEY_ALL_ACCESS, drives.out(), nullptr), ERROR_SUCCESS);
  EXPECT_THAT(read(), ::testing::HasSubstr("[HKEY_LOCAL_MACHINE\\Software\\Quillon\\Drives]\n"));
  ASSERT_EQ(RegDeleteKey(key.get(), "Drives"), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteValue(key.get(), "Mode"), ERROR_SUCCESS);
  EXPECT_EQ(read(), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\n[HKEY_LOCAL_MACHINE\\Software\\Quillon]\n\n");
  EXPECT_THAT(files(), ElementsAre("registry.reg"));
}

TEST_F(HiveFile, AFailedWriteBackGivesCantWriteAndUndoesTheChange) {
  write(text_);
  Hive hive = Hive::openFile(path());
  ScopedHive use(hive);
  ScopedKey key;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Quillon", 0, KEY_ALL_ACCESS, key.out()), ERROR_SUCCESS);
  fs::remove_all(folder_);

  EXPECT_EQ(setDword(key.get(), "Mode", 2), ERROR_CANTWRITE);
  EXPECT_THAT(query(key.get(), "Mode"), ElementsAre(1, 0, 0, 0));
  EXPECT_EQ(setDword(key.get(), "New", 2), ERROR_CANTWRITE);
  EXPECT_EQ(RegQueryValueEx(key.get(), "New", nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValue(key.get(), "Mode"), ERROR_CANTWRITE);
  EXPECT_THAT(query(key.get(), "Mode"), ElementsAre(1, 0, 0, 0));
  HKEY made = 0;
  EXPECT_EQ(RegCreateKeyEx(key.get(), "A\\B", KEY_ALL_ACCESS, &made, nullptr), ERROR_CANTWRITE);
  EXPECT_EQ(made, 0u);
  EXPECT_EQ(enumKey(key.get(), 0), "status " + std::to_string(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, "Software\\Quillon"), ERROR_CANTWRITE);
  EXPECT_THAT(query(key.get(), "Mode"), ElementsAre(1, 0, 0, 0)) << "the key is still there";
}

TEST_F(HiveFile, AMalformedFileIsRefusedAndLeftByteForByte) {
  const std::string broken = text_ + "\"Size\"=dword:12\n";
  write(broken);
  try {
    Hive::openFile(path());
    ADD_FAILURE() << "accepted a malformed hive";
  } catch (const HiveError& error) {
    EXPECT_EQ(std::string(error.what()), path() + ":5: dword needs 8 hex digits");
  }
  EXPECT_EQ(read(), broken);
  EXPECT_THAT(files(), ElementsAre("registry.reg"));
  EXPECT_THROW(Hive::openFile((folder_ / "missing.reg").native()), HiveError);
}

}  // namespace
}  // namespace platform
