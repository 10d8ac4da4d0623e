#include "quillon/kernel/matching.h"

#include <fmt/format.h>

namespace quillon {

ResultCode MatchFWPattern(std::string_view pattern, std::string_view revision) {
  if (pattern.size() != revision.size()) return kKnlNoMatch;
  for (std::size_t i = 0; i < pattern.size(); ++i)
    if (pattern[i] != '*' && pattern[i] != revision[i]) return kKnlNoMatch;
  return kSuccess;
}

bool skewMatchesWithoutDrive(int driveType, std::string_view pattern) {
  auto at = [&](std::size_t i) { return i < pattern.size() ? pattern[i] : '\0'; };
  return driveType < 3 || at(0) == '*' || at(1) == '*';
}

ResultCode compareSkew(std::string_view pattern, std::string_view driveSkew) {
  for (std::size_t i = 0; i < 2; ++i) {
    char want = i < pattern.size() ? pattern[i] : '\0';
    char have = i < driveSkew.size() ? driveSkew[i] : '\0';
    if (want != '*' && want != have) return kKnlNoMatch;
  }
  return kSuccess;
}

std::string firmwareDateText(std::uint16_t dosDate, std::uint16_t dosTime) {
  int year = 1980 + (dosDate >> 9);
  int month = dosDate >> 5 & 0x0F;
  int day = dosDate & 0x1F;
  int hour = dosTime >> 11;
  int minute = dosTime >> 5 & 0x3F;
  return fmt::format("{}/{}/{} {}:{}", day, month, year < 2000 ? year - 1900 : year, hour, minute);
}

ResultCode logoFileName(const OemReader& reader, std::size_t bufferSize, std::string& name) {
  name.clear();
  if (reader.list().empty()) return kSuccess;
  const std::string& logo = reader.list().front().text;
  if (logo.size() >= bufferSize) return kKnlStringTooLong;
  name = logo;
  return kSuccess;
}

}  // namespace quillon
