// The CD-recorder manager stand-in, libcdr4dll.so. The drives whose file system is blocked
// are kept in the host's state folder, one drive address a line as eight hex digits, so that
// other processes of the machine see them; without a state folder they live in memory.

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cdrmgr.h"
#include "platform/files.h"
#include "platform/host.h"

namespace platform {
namespace {

constexpr const char* kBlockingFile = "cdr-blocking.txt";
constexpr std::uint64_t kMostBytes = 1 << 20;

using Blocked = std::set<DWORD>;

Blocked& inMemory() {
  static Blocked blocked;
  return blocked;
}

std::optional<DWORD> parseAddress(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() != 8) return std::nullopt;
  DWORD value = 0;
  for (char c : line) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<DWORD>(digit);
  }
  return value;
}

// A line that is not an address is skipped: another process may have written a newer form.
Blocked parse(const std::vector<std::uint8_t>& bytes) {
  Blocked blocked;
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (std::optional<DWORD> address = parseAddress(text.substr(0, end))) blocked.insert(*address);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return blocked;
}

std::vector<std::uint8_t> format(const Blocked& blocked) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::vector<std::uint8_t> bytes;
  for (DWORD address : blocked) {
    for (int shift = 28; shift >= 0; shift -= 4) bytes.push_back(static_cast<std::uint8_t>(kDigits[address >> shift & 0xF]));
    bytes.push_back('\n');
  }
  return bytes;
}

// The file of the host's state folder; nothing when the host keeps no state, and an empty
// path when the folder's name is too long to hold the file.
std::optional<std::string> stateFile() {
  std::optional<std::string> folder = host().stateFolder();
  if (!folder) return std::nullopt;
  return joinPath(*folder, kBlockingFile).value_or("");
}

Blocked load(const std::optional<std::string>& file) {
  if (!file) return inMemory();
  FileBytes read = readWholeFile(*file, kMostBytes);
  return read.error == FileError::None ? parse(read.bytes) : Blocked{};
}

bool store(const std::optional<std::string>& file, const Blocked& blocked) {
  if (!file) {
    inMemory() = blocked;
    return true;
  }
  return !file->empty() && writeWholeFile(*file, format(blocked)) == FileError::None;
}

DWORD setBlocked(DWORD address, bool blocked) {
  std::optional<std::string> file = stateFile();
  Blocked drives = load(file);
  bool changed = blocked ? drives.insert(address).second : drives.erase(address) == 1;
  return !changed || store(file, drives) ? 1 : 0;
}

}  // namespace
}  // namespace platform

extern "C" {

__attribute__((visibility("default"))) platform::DWORD CDR4VSDStartFileSystemBlocking(platform::DWORD address) {
  return platform::setBlocked(address, true);
}

__attribute__((visibility("default"))) platform::DWORD CDR4VSDEndFileSystemBlocking(platform::DWORD address) {
  return platform::setBlocked(address, false);
}

__attribute__((visibility("default"))) platform::DWORD CDR4VSDQueryFileSystemBlocking(platform::DWORD address) {
  return platform::load(platform::stateFile()).contains(address) ? 1 : 0;
}

}  // extern "C"
