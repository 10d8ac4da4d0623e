#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/ascii_case.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading; directories and devices count as not found.
FileHandle openRegularFile(std::string_view path) {
  std::string name(path);
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  return FileHandle(std::fopen(name.c_str(), "rb"));
}

std::uint64_t sizeOf(std::FILE* file) {
  struct stat info {};
  return ::fstat(::fileno(file), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

FileBytes readOpened(std::FILE* file, std::size_t count) {
  FileBytes result;
  result.fileSize = sizeOf(file);
  result.bytes.resize(count);
  std::size_t got = count == 0 ? 0 : std::fread(result.bytes.data(), 1, count, file);
  if (got < count && std::ferror(file)) result.error = FileError::ReadError;
  result.bytes.resize(got);
  return result;
}

bool matchFrom(std::string_view pattern, std::string_view name) {
  // Iterative match with one backtrack point per '*': linear in practice, no recursion.
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  auto same = [](char a, char b) { return lowerAscii(a) == lowerAscii(b); };
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void stampDos(FoundFile& found, std::time_t modified) {
  std::tm local{};
  localtime_r(&modified, &local);
  found.dosDate = packDosDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  found.dosTime = packDosTime(local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace

bool fitsPathLimit(std::string_view path) { return path.size() < kMaxPath; }

std::optional<std::string> joinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += name;
  if (!fitsPathLimit(joined)) return std::nullopt;
  return joined;
}

std::optional<std::string> currentFolder() {
  std::error_code error;
  fs::path here = fs::current_path(error);
  if (error || !fitsPathLimit(here.native())) return std::nullopt;
  return here.native();
}

bool setCurrentFolder(std::string_view path) {
  if (!fitsPathLimit(path)) return false;
  return ::chdir(std::string(path).c_str()) == 0;
}

std::uint16_t packDosDate(int year, int month, int day) {
  int years = std::clamp(year - 1980, 0, 127);
  return static_cast<std::uint16_t>(years << 9 | (month & 0xF) << 5 | (day & 0x1F));
}

std::uint16_t packDosTime(int hour, int minute, int second) {
  return static_cast<std::uint16_t>((hour & 0x1F) << 11 | (minute & 0x3F) << 5 | (second / 2 & 0x1F));
}

bool wildcardMatch(std::string_view pattern, std::string_view name) { return matchFrom(pattern, name); }

std::vector<FoundFile> findFiles(std::string_view folder, std::string_view pattern) {
  std::vector<FoundFile> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(fs::path(folder), error)) {
    std::string name = entry.path().filename().native();
    if (!wildcardMatch(pattern, name) || !joinPath(folder, name)) continue;
    struct stat info {};
    if (::stat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    FoundFile file{name, static_cast<std::uint64_t>(info.st_size), 0, 0};
    stampDos(file, info.st_mtime);
    found.push_back(std::move(file));
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return found;
}

FileBytes readPrefix(std::string_view path, std::size_t count) {
  if (!fitsPathLimit(path)) return {FileError::PathTooLong, {}, 0};
  FileHandle file = openRegularFile(path);
  if (!file) return {FileError::NotFound, {}, 0};
  return readOpened(file.get(), count);
}

FileBytes readWholeFile(std::string_view path, std::uint64_t limit) {
  if (!fitsPathLimit(path)) return {FileError::PathTooLong, {}, 0};
  FileHandle file = openRegularFile(path);
  if (!file) return {FileError::NotFound, {}, 0};
  std::uint64_t size = sizeOf(file.get());
  if (size > limit) return {FileError::TooLarge, {}, size};
  FileBytes result = readOpened(file.get(), static_cast<std::size_t>(size));
  if (result.error == FileError::None && result.bytes.size() != size) result.error = FileError::ReadError;
  return result;
}

FileError writeWholeFile(std::string_view path, const std::vector<std::uint8_t>& bytes) {
  if (!fitsPathLimit(path)) return FileError::PathTooLong;
  std::string target(path);
  std::string temporary = target + ".tmp";
  {
    FileHandle file(std::fopen(temporary.c_str(), "wb"));
    if (!file) return FileError::WriteError;
    bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    if (std::fflush(file.get()) != 0 || ::fsync(::fileno(file.get())) != 0 || !written) {
      file.reset();
      std::remove(temporary.c_str());
      return FileError::WriteError;
    }
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::remove(temporary.c_str());
    return FileError::WriteError;
  }
  return FileError::None;
}

}  // namespace platform
