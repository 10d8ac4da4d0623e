#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "platform/ascii_case.h"
#include "platform/files.h"
#include "platform/host.h"

namespace platform {

// The handle table lives in the hive; only the Win32 calls below reach into it.
struct HiveAccess {
  using OpenKey = Hive::OpenKey;

  static HKEY add(Hive& hive, OpenKey key) {
    // Never reused, and shared by all hives, so a stale handle or one from another hive
    // is refused instead of reaching some other key.
    static HKEY next = 0x100;
    HKEY handle = next++;
    hive.handles_.emplace(handle, std::move(key));
    return handle;
  }

  static const OpenKey* find(Hive& hive, HKEY handle) {
    auto it = hive.handles_.find(handle);
    return it == hive.handles_.end() ? nullptr : &it->second;
  }

  static bool close(Hive& hive, HKEY handle) { return hive.handles_.erase(handle) == 1; }

  static void markDeleted(Hive& hive, HKEY root, const std::vector<std::string>& path) {
    for (auto& [handle, open] : hive.handles_) {
      if (open.root == root && open.path == path) open.deleted = true;
    }
  }
};

namespace {

using Key = Hive::Key;
using OpenKey = HiveAccess::OpenKey;

constexpr REGSAM kGenericRead = 0x80000000;
constexpr REGSAM kGenericWrite = 0x40000000;
constexpr REGSAM kGenericAll = 0x10000000;
constexpr REGSAM kMaximumAllowed = 0x02000000;
// Every right that changes a key: set value, create subkey, create link, delete, write DAC, write owner.
constexpr REGSAM kWriteRights = 0xD0026;

constexpr std::uint64_t kMaxHiveBytes = 64ull << 20;
constexpr std::size_t kHexLineWidth = 80;  // as REGEDIT wraps long hex lists

struct Root {
  HKEY handle;
  std::string_view name;
};
// In the order toText writes them: sorted by name.
constexpr Root kRoots[] = {
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_DYN_DATA, "HKEY_DYN_DATA"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
};

bool isRoot(HKEY handle) {
  return std::any_of(std::begin(kRoots), std::end(kRoots), [&](const Root& r) { return r.handle == handle; });
}

// A line break cannot be written into the hive file, whatever escapes it has.
bool fitsOnALine(std::string_view name) { return name.find_first_of("\r\n") == std::string_view::npos; }

// ---- The tree ----

// For a key and a const key alike.
template <typename AnyKey>
auto findValue(AnyKey& key, std::string_view name) {
  return std::find_if(key.values.begin(), key.values.end(),
                      [&](const Key::Value& v) { return sameIgnoringCase(v.name, name); });
}

void putValue(Key& key, std::string_view name, RegValue value) {
  auto existing = findValue(key, name);
  if (existing != key.values.end()) {
    existing->value = std::move(value);
  } else {
    key.values.push_back({std::string(name), std::move(value)});
  }
}

Key& childOf(Key& parent, std::string_view name) {
  auto [it, inserted] = parent.subkeys.try_emplace(lowerAscii(name));
  if (inserted) it->second.name = std::string(name);
  return it->second;
}

Key* descend(Key* key, const std::vector<std::string>& lowerPath) {
  for (const std::string& name : lowerPath) {
    if (!key) return nullptr;
    auto it = key->subkeys.find(name);
    key = it == key->subkeys.end() ? nullptr : &it->second;
  }
  return key;
}

// Names joined with '\\', as the registry functions take them.
std::vector<std::string_view> pathNames(std::string_view path) {
  std::vector<std::string_view> names;
  for (std::size_t start = 0; start < path.size();) {
    std::size_t end = std::min(path.find('\\', start), path.size());
    names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// ---- REGEDIT4 text in ----

std::string_view trim(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
    parts.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  char l = lowerAscii(c);
  return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

// Nothing when `digits` is empty, longer than `most` or not all hex.
std::optional<std::uint32_t> parseHex(std::string_view digits, std::size_t most) {
  if (digits.empty() || digits.size() > most) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    int digit = hexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return value;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view source) : lines_(split(text, '\n')), source_(source) {
    // What follows the last line break is no line of its own.
    if (lines_.size() > 1 && lines_.back().empty()) lines_.pop_back();
  }

  Hive run() {
    if (lines_.front() != "REGEDIT4" && lines_.front() != "REGEDIT4\r") fail(1, "missing REGEDIT4 header");
    for (std::size_t index = 1; index < lines_.size(); ++index) {
      std::string_view line = trim(lines_[index]);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        section(line, index + 1);
      } else {
        value(index);
      }
    }
    return std::move(hive_);
  }

 private:
  [[noreturn]] void fail(std::size_t line, const std::string& what) const {
    std::string where = source_.empty() ? "line " + std::to_string(line) : std::string(source_) + ":" + std::to_string(line);
    throw HiveError(where + ": " + what);
  }

  void section(std::string_view line, std::size_t lineNo) {
    if (line.back() != ']') fail(lineNo, "section without closing ']'");
    std::vector<std::string_view> names = split(line.substr(1, line.size() - 2), '\\');
    auto root = std::find_if(std::begin(kRoots), std::end(kRoots),
                             [&](const Root& r) { return sameIgnoringCase(r.name, names[0]); });
    if (root == std::end(kRoots)) fail(lineNo, "unknown root key '" + std::string(names[0]) + "'");
    current_ = &hive_.root(root->handle);
    for (std::size_t i = 1; i < names.size(); ++i) {
      if (names[i].empty()) fail(lineNo, "empty key name in section");
      current_ = &childOf(*current_, names[i]);
    }
  }

  // May consume continuation lines of a hex list, so it moves `index` past them.
  void value(std::size_t& index) {
    std::size_t lineNo = index + 1;
    std::string_view rest = trim(lines_[index]);
    if (rest.front() != '"' && rest.front() != '@') fail(lineNo, "neither a section, a value nor a comment");
    if (!current_) fail(lineNo, "value outside any key");
    std::string name;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      name = quoted(rest, lineNo);
    }
    rest = trim(rest);
    if (rest.empty() || rest.front() != '=') fail(lineNo, "value line without '='");
    rest = trim(rest.substr(1));
    putValue(*current_, name, data(rest, index));
  }

  // Reads a quoted string at the start of `rest` and moves `rest` past it.
  std::string quoted(std::string_view& rest, std::size_t lineNo) const {
    std::string text;
    for (std::size_t i = 1; i < rest.size(); ++i) {
      if (rest[i] == '"') {
        rest.remove_prefix(i + 1);
        return text;
      }
      if (rest[i] == '\\') {
        if (++i == rest.size()) break;
        if (rest[i] != '\\' && rest[i] != '"') fail(lineNo, std::string("unknown escape '\\") + rest[i] + "'");
      }
      text += rest[i];
    }
    fail(lineNo, "unterminated string");
  }

  RegValue data(std::string_view rest, std::size_t& index) {
    std::size_t lineNo = index + 1;
    if (rest.starts_with('"')) return text(rest, lineNo);
    if (rest.starts_with("dword:")) return dword(rest.substr(6), lineNo);
    if (rest.starts_with("hex:")) return {REG_BINARY, hexList(rest.substr(4), index)};
    if (rest.starts_with("hex(")) {
      std::size_t close = rest.find("):");
      std::optional<std::uint32_t> type = parseHex(rest.substr(4, close == std::string_view::npos ? 0 : close - 4), 8);
      if (!type) fail(lineNo, "bad value type in hex(...)");
      return {*type, hexList(rest.substr(close + 2), index)};
    }
    fail(lineNo, "unknown value data '" + std::string(rest) + "'");
  }

  RegValue text(std::string_view rest, std::size_t lineNo) const {
    std::string text = quoted(rest, lineNo);
    if (!trim(rest).empty()) fail(lineNo, "unexpected text after the string");
    RegValue value{REG_SZ, std::vector<BYTE>(text.begin(), text.end())};
    value.data.push_back(0);
    return value;
  }

  RegValue dword(std::string_view digits, std::size_t lineNo) const {
    std::optional<std::uint32_t> number = digits.size() == 8 ? parseHex(digits, 8) : std::nullopt;
    if (!number) fail(lineNo, "dword needs 8 hex digits");
    RegValue value{REG_DWORD, {}};
    for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<BYTE>(*number >> shift));
    return value;
  }

  std::vector<BYTE> hexList(std::string_view rest, std::size_t& index) const {
    std::vector<BYTE> bytes;
    for (;;) {
      rest = trim(rest);
      bool continues = rest.ends_with('\\');
      if (continues) rest.remove_suffix(1);
      hexBytes(trim(rest), index + 1, bytes);
      if (!continues) return bytes;
      if (++index == lines_.size()) fail(index, "hex list continues past the end");
      rest = lines_[index];
    }
  }

  void hexBytes(std::string_view segment, std::size_t lineNo, std::vector<BYTE>& bytes) const {
    if (segment.empty()) return;
    // REGEDIT ends a wrapped line with a comma before the backslash.
    if (segment.ends_with(',')) segment.remove_suffix(1);
    for (std::string_view item : split(segment, ',')) {
      item = trim(item);
      std::optional<std::uint32_t> byte = item.size() == 2 ? parseHex(item, 2) : std::nullopt;
      if (!byte) fail(lineNo, "bad hex byte '" + std::string(item) + "'");
      bytes.push_back(static_cast<BYTE>(*byte));
    }
  }

  std::vector<std::string_view> lines_;
  std::string_view source_;
  Hive hive_;
  Key* current_ = nullptr;
};

// ---- REGEDIT4 text out ----

std::string hex(std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0 || static_cast<int>(text.size()) < digits);
  return text;
}

std::string quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// A string with one terminator and no line break; anything else is kept exactly as hex(1).
bool quotable(const RegValue& value) {
  const std::vector<BYTE>& d = value.data;
  return value.type == REG_SZ && !d.empty() && d.back() == 0 &&
         std::none_of(d.begin(), d.end() - 1, [](BYTE b) { return b == 0 || b == '\n' || b == '\r'; });
}

void writeHexList(std::string& out, std::string line, const std::vector<BYTE>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::string item = hex(bytes[i], 2) + (i + 1 < bytes.size() ? "," : "");
    if (line.size() + item.size() + 1 > kHexLineWidth && line != "  ") {
      out += line + "\\\n";
      line = "  ";
    }
    line += item;
  }
  out += line + "\n";
}

void writeValue(std::string& out, const Key::Value& named) {
  const RegValue& value = named.value;
  std::string line = (named.name.empty() ? "@" : quote(named.name)) + "=";
  if (quotable(value)) {
    out += line + quote(std::string(value.data.begin(), value.data.end() - 1)) + "\n";
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = number << 8 | value.data[static_cast<std::size_t>(i)];
    out += line + "dword:" + hex(number, 8) + "\n";
  } else if (value.type == REG_BINARY) {
    writeHexList(out, line + "hex:", value.data);
  } else {
    writeHexList(out, line + "hex(" + hex(value.type, 1) + "):", value.data);
  }
}

// A root's own section is written only when it holds values, as REGEDIT does.
void writeKey(std::string& out, const std::string& path, const Key& key, bool isRootKey) {
  if (!isRootKey || !key.values.empty()) {
    out += "[" + path + "]\n";
    for (const Key::Value& value : key.values) writeValue(out, value);
    out += "\n";
  }
  for (const auto& [lowerName, child] : key.subkeys) writeKey(out, path + "\\" + child.name, child, false);
}

// ---- Handles and access ----

Hive*& activeHivePointer() {
  static Hive empty;
  static Hive* active = &empty;
  return active;
}

REGSAM effectiveAccess(REGSAM requested) {
  REGSAM access = requested & KEY_ALL_ACCESS;
  if (requested & (kGenericAll | kMaximumAllowed)) access |= KEY_ALL_ACCESS;
  if (requested & kGenericRead) access |= KEY_READ;
  if (requested & kGenericWrite) access |= KEY_WRITE;
  return access;
}

// Only an administrator may change HKEY_LOCAL_MACHINE; the programs test for one that way.
bool machineWriteDenied(HKEY root, REGSAM access) {
  return root == HKEY_LOCAL_MACHINE && (effectiveAccess(access) & kWriteRights) && !host().isAdministrator();
}

struct Opened {
  LONG status = ERROR_SUCCESS;
  OpenKey handle;  // for a root, a handle with an empty path and all the access the user has
  Key* key = nullptr;
};

Opened opened(HKEY handle, REGSAM needed) {
  Hive& hive = activeHive();
  Opened result;
  if (isRoot(handle)) {
    result.handle = {handle, {}, machineWriteDenied(handle, KEY_ALL_ACCESS) ? KEY_READ : KEY_ALL_ACCESS, false};
    result.key = &hive.root(handle);
  } else if (const OpenKey* open = HiveAccess::find(hive, handle)) {
    result.handle = *open;
    result.key = open->deleted ? nullptr : descend(&hive.root(open->root), open->path);
    if (!result.key) result.status = ERROR_KEY_DELETED;
  } else {
    result.status = ERROR_INVALID_HANDLE;
  }
  if (result.status == ERROR_SUCCESS && (result.handle.access & needed) != needed) result.status = ERROR_ACCESS_DENIED;
  return result;
}

// Key names below a handle; Win32 ignores one trailing backslash and refuses other empty names.
std::optional<std::vector<std::string>> splitSubKey(const char* subKey) {
  std::vector<std::string> names;
  if (!subKey || !*subKey) return names;
  std::string_view path(subKey);
  if (path.ends_with('\\')) path.remove_suffix(1);
  for (std::string_view name : split(path, '\\')) {
    if (name.empty() || !fitsOnALine(name)) return std::nullopt;
    names.emplace_back(name);
  }
  return names;
}

std::vector<std::string> below(const OpenKey& base, const std::vector<std::string>& names) {
  std::vector<std::string> path = base.path;
  for (const std::string& name : names) path.push_back(lowerAscii(name));
  return path;
}

// Writes the change back; when that fails, `undo` takes it out of memory again, so the
// caller sees what the file holds.
template <typename Undo>
LONG commit(Undo&& undo) {
  if (activeHive().changed()) return ERROR_SUCCESS;
  undo();
  return ERROR_CANTWRITE;
}

LONG copyData(const std::vector<BYTE>& bytes, BYTE* data, DWORD* size) {
  if (!size) return ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(bytes.size());
  DWORD room = std::exchange(*size, needed);
  if (!data) return ERROR_SUCCESS;
  if (room < needed) return ERROR_MORE_DATA;
  std::copy(bytes.begin(), bytes.end(), data);
  return ERROR_SUCCESS;
}

// On ERROR_MORE_DATA the size written is the buffer needed, terminator included, so a
// caller can allocate it and ask again; on success it is the length without terminator.
bool copyName(const std::string& name, char* buffer, DWORD* size) {
  DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (*size < needed) {
    *size = needed;
    return false;
  }
  std::memcpy(buffer, name.c_str(), needed);
  *size = needed - 1;
  return true;
}

// Creates the missing keys along `names`; the first one created is erased again if the
// hive cannot be written.
LONG createPath(Key& start, const std::vector<std::string>& names, bool mayCreate, DWORD& disposition) {
  Key* key = &start;
  Key* firstParent = nullptr;
  std::string firstName;
  for (const std::string& name : names) {
    if (!firstParent && !key->subkeys.contains(lowerAscii(name))) {
      if (!mayCreate) return ERROR_ACCESS_DENIED;
      firstParent = key;
      firstName = lowerAscii(name);
    }
    key = &childOf(*key, name);
  }
  disposition = firstParent ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  if (!firstParent) return ERROR_SUCCESS;
  return commit([&] { firstParent->subkeys.erase(firstName); });
}

}  // namespace

// ---- Hive ----

Hive Hive::fromText(std::string_view regedit4) { return Parser(regedit4, "").run(); }

Hive Hive::openFile(const std::string& path) {
  FileBytes file = readWholeFile(path, kMaxHiveBytes);
  if (file.error == FileError::TooLarge) throw HiveError(path + ": larger than a hive may be");
  if (file.error != FileError::None) throw HiveError(path + ": cannot be read");
  std::string text(file.bytes.begin(), file.bytes.end());
  Hive hive = Parser(text, path).run();
  hive.path_ = path;
  return hive;
}

std::string Hive::toText() const {
  std::string out = "REGEDIT4\n\n";
  for (const Root& root : kRoots) {
    auto it = roots_.find(root.handle);
    if (it != roots_.end()) writeKey(out, std::string(root.name), it->second, true);
  }
  return out;
}

Hive::Key* Hive::Key::find(std::string_view path) {
  Key* key = this;
  for (std::string_view name : pathNames(path)) {
    auto it = key->subkeys.find(lowerAscii(name));
    if (it == key->subkeys.end()) return nullptr;
    key = &it->second;
  }
  return key;
}

Hive::Key& Hive::Key::make(std::string_view path) {
  Key* key = this;
  for (std::string_view name : pathNames(path)) key = &childOf(*key, name);
  return *key;
}

const RegValue* Hive::Key::value(std::string_view name) const {
  auto found = findValue(*this, name);
  return found == values.end() ? nullptr : &found->value;
}

void Hive::Key::set(std::string_view name, RegValue value) { putValue(*this, name, std::move(value)); }

Hive::Key& Hive::root(HKEY predefined) {
  if (!isRoot(predefined)) throw std::invalid_argument("not a predefined registry key");
  return roots_[predefined];
}

bool Hive::changed() {
  if (!path_) return true;
  std::string text = toText();
  return writeWholeFile(*path_, std::vector<std::uint8_t>(text.begin(), text.end())) == FileError::None;
}

Hive& activeHive() { return *activeHivePointer(); }

ScopedHive::ScopedHive(Hive& hive) : previous_(activeHivePointer()) { activeHivePointer() = &hive; }

ScopedHive::~ScopedHive() { activeHivePointer() = previous_; }

// ---- Win32 calls ----

// `options` would only matter for symbolic links, which this registry does not have.
LONG RegOpenKeyEx(HKEY parent, const char* subKey, DWORD, REGSAM access, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  Opened base = opened(parent, 0);
  if (base.status != ERROR_SUCCESS) return base.status;
  std::optional<std::vector<std::string>> names = splitSubKey(subKey);
  if (!names) return ERROR_INVALID_PARAMETER;
  if (machineWriteDenied(base.handle.root, access)) return ERROR_ACCESS_DENIED;
  if (names->empty() && isRoot(parent)) {
    *result = parent;
    return ERROR_SUCCESS;
  }
  std::vector<std::string> path = below(base.handle, *names);
  if (!descend(&activeHive().root(base.handle.root), path)) return ERROR_FILE_NOT_FOUND;
  *result = HiveAccess::add(activeHive(), {base.handle.root, std::move(path), effectiveAccess(access), false});
  return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY parent, const char* subKey, REGSAM access, HKEY* result, DWORD* disposition) {
  if (!result || !subKey) return ERROR_INVALID_PARAMETER;
  *result = 0;
  Opened base = opened(parent, 0);
  if (base.status != ERROR_SUCCESS) return base.status;
  std::optional<std::vector<std::string>> names = splitSubKey(subKey);
  if (!names) return ERROR_INVALID_PARAMETER;
  if (machineWriteDenied(base.handle.root, access)) return ERROR_ACCESS_DENIED;
  DWORD how = REG_OPENED_EXISTING_KEY;
  if (names->empty() && isRoot(parent)) {
    *result = parent;
  } else {
    LONG status = createPath(*base.key, *names, base.handle.access & KEY_CREATE_SUB_KEY, how);
    if (status != ERROR_SUCCESS) return status;
    *result = HiveAccess::add(activeHive(), {base.handle.root, below(base.handle, *names), effectiveAccess(access), false});
  }
  if (disposition) *disposition = how;
  return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) {
  Opened k = opened(key, KEY_QUERY_VALUE);
  if (k.status != ERROR_SUCCESS) return k.status;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  auto value = findValue(*k.key, name ? name : "");
  if (value == k.key->values.end()) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->value.type;
  return copyData(value->value.data, data, size);
}

LONG RegSetValueEx(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
  Opened k = opened(key, KEY_SET_VALUE);
  if (k.status != ERROR_SUCCESS) return k.status;
  std::string_view valueName = name ? name : "";
  if ((!data && size != 0) || !fitsOnALine(valueName)) return ERROR_INVALID_PARAMETER;
  RegValue fresh{type, data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>{}};
  std::vector<Key::Value>& values = k.key->values;
  auto existing = findValue(*k.key, valueName);
  if (existing != values.end()) {
    RegValue old = std::exchange(existing->value, std::move(fresh));
    return commit([&] { existing->value = std::move(old); });
  }
  values.push_back({std::string(valueName), std::move(fresh)});
  return commit([&] { values.pop_back(); });
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameSize) {
  Opened k = opened(key, KEY_ENUMERATE_SUB_KEYS);
  if (k.status != ERROR_SUCCESS) return k.status;
  if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
  if (index >= k.key->subkeys.size()) return ERROR_NO_MORE_ITEMS;
  const Key& child = std::next(k.key->subkeys.begin(), index)->second;
  return copyName(child.name, name, nameSize) ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* type, BYTE* data, DWORD* dataSize) {
  Opened k = opened(key, KEY_QUERY_VALUE);
  if (k.status != ERROR_SUCCESS) return k.status;
  if (!name || !nameSize || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  if (index >= k.key->values.size()) return ERROR_NO_MORE_ITEMS;
  const Key::Value& value = k.key->values[index];
  if (type) *type = value.value.type;
  bool dataFits = !data || *dataSize >= value.value.data.size();
  if (!copyName(value.name, name, nameSize) || !dataFits) {
    if (dataSize) *dataSize = static_cast<DWORD>(value.value.data.size());
    return ERROR_MORE_DATA;
  }
  return copyData(value.value.data, data, dataSize);
}

LONG RegDeleteValue(HKEY key, const char* name) {
  Opened k = opened(key, KEY_SET_VALUE);
  if (k.status != ERROR_SUCCESS) return k.status;
  std::vector<Key::Value>& values = k.key->values;
  auto value = findValue(*k.key, name ? name : "");
  if (value == values.end()) return ERROR_FILE_NOT_FOUND;
  Key::Value removed = std::move(*value);
  auto index = values.erase(value) - values.begin();
  return commit([&] { values.insert(values.begin() + index, std::move(removed)); });
}

// The parent's access does not matter, as on Windows: deleting needs rights on the key itself.
LONG RegDeleteKey(HKEY parent, const char* subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  Opened base = opened(parent, 0);
  if (base.status != ERROR_SUCCESS) return base.status;
  std::optional<std::vector<std::string>> names = splitSubKey(subKey);
  if (!names) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> path = below(base.handle, *names);
  if (path.empty()) return ERROR_ACCESS_DENIED;  // a root key is never deleted
  if (machineWriteDenied(base.handle.root, KEY_ALL_ACCESS)) return ERROR_ACCESS_DENIED;
  Key* owner = descend(&activeHive().root(base.handle.root), {path.begin(), path.end() - 1});
  Key* target = descend(owner, {path.back()});
  if (!target) return ERROR_FILE_NOT_FOUND;
  if (!target->subkeys.empty()) return ERROR_ACCESS_DENIED;
  auto node = owner->subkeys.extract(path.back());
  LONG status = commit([&] { owner->subkeys.insert(std::move(node)); });
  if (status == ERROR_SUCCESS) HiveAccess::markDeleted(activeHive(), base.handle.root, path);
  return status;
}

LONG RegCloseKey(HKEY key) {
  if (isRoot(key)) return ERROR_SUCCESS;
  return HiveAccess::close(activeHive(), key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

ScopedKey::~ScopedKey() {
  if (key_) RegCloseKey(key_);
}

HKEY* ScopedKey::out() {
  if (key_) RegCloseKey(key_);
  key_ = 0;
  return &key_;
}

}  // namespace platform
