#pragma once
// Files as the programs of the suite see them on Windows: a current folder, file search
// with wildcards and packed DOS dates, whole-file reads, and the 260-byte path limit
// (MAX_PATH, terminator included) reported as an error instead of overflowing a buffer.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr std::size_t kMaxPath = 260;

enum class FileError {
  None,
  PathTooLong,
  NotFound,   // missing, not a regular file, or not readable
  ReadError,  // opened, but reading failed
  WriteError,
  TooLarge,   // larger than the caller's limit; nothing was allocated
};

// True when the path, with its terminator, fits a buffer of kMaxPath bytes.
bool fitsPathLimit(std::string_view path);

// Joins folder and name with one separator; nothing when the result exceeds the limit.
std::optional<std::string> joinPath(std::string_view folder, std::string_view name);

// The current folder; nothing when it cannot be read or exceeds the limit.
std::optional<std::string> currentFolder();
bool setCurrentFolder(std::string_view path);

// Packed DOS date (bits 9-15 years since 1980, 5-8 month, 0-4 day) and
// time (bits 11-15 hour, 5-10 minute, 0-4 seconds / 2).
std::uint16_t packDosDate(int year, int month, int day);
std::uint16_t packDosTime(int hour, int minute, int second);

// Windows-style wildcard match: '*' any run, '?' one character, letters without case.
bool wildcardMatch(std::string_view pattern, std::string_view name);

struct FoundFile {
  std::string name;  // without folder
  std::uint64_t size = 0;
  std::uint16_t dosDate = 0;
  std::uint16_t dosTime = 0;
};

// Regular files of `folder` whose names match `pattern`, sorted by name.
// Files whose full path would exceed the limit are not listed.
std::vector<FoundFile> findFiles(std::string_view folder, std::string_view pattern);

struct FileBytes {
  FileError error = FileError::None;
  std::vector<std::uint8_t> bytes;
  std::uint64_t fileSize = 0;  // size found on disk, also when too large to read
};

// Reads at most `count` bytes from the start; fewer when the file is shorter.
FileBytes readPrefix(std::string_view path, std::size_t count);

// Reads the whole file; refuses with TooLarge before allocating when it exceeds `limit`.
FileBytes readWholeFile(std::string_view path, std::uint64_t limit);

// Writes the whole file through a temporary beside it, so a failure never leaves half a file.
FileError writeWholeFile(std::string_view path, const std::vector<std::uint8_t>& bytes);

}  // namespace platform
