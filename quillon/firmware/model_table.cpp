#include "quillon/firmware/model_table.h"

#include "quillon/gui/logging.h"

namespace quillon {

// "V", a family letter (R writer, C combined CD-RW/DVD, D DVD writer), write and rewrite
// speeds, and a letter for the line: A the maker's own, V, B, C, D built with partners.
const std::array<std::string_view, kModelCount> kModelIdentifiers = {
    "VR0404A", "VR0604A", "VR0804A", "VR0808A", "VR1004A", "VR1204A", "VR1208A",
    "VR1610A", "VR1612A", "VR2010A", "VR2010V", "VC2408V", "VC1608A", "VC2408A",
    "VC3208A", "VR2410A", "VR2412A", "VR3210A", "VR3212A", "VR4012A", "VR4016A",
    "VR4016V", "VR4816V", "VR4816B", "VR4824B", "VR4824A", "VC4816A", "VR5224A",
    "VR5232B", "VD0204A", "VD0408A", "VD0804A", "VR5232C", "VR5232D",
};

const std::array<ModelRow, 36> kModelTable = {{
    {1, 1, ExtCondition::Any, 1},     {2, 2, ExtCondition::Any, 2},     {3, 3, ExtCondition::Any, 3},
    {4, 4, ExtCondition::Any, 4},     {5, 5, ExtCondition::Any, 5},     {6, 6, ExtCondition::ExtOff, 6},
    {7, 6, ExtCondition::ExtOn, 8},   {8, 7, ExtCondition::Any, 7},     {9, 8, ExtCondition::Any, 9},
    {10, 9, ExtCondition::Any, 10},   {11, 10, ExtCondition::Any, 11},  {12, 11, ExtCondition::Any, 12},
    {13, 12, ExtCondition::Any, 13},  {14, 13, ExtCondition::Any, 14},  {15, 14, ExtCondition::Any, 15},
    {16, 15, ExtCondition::Any, 30},  {17, 16, ExtCondition::Any, 16},  {18, 17, ExtCondition::Any, 17},
    {19, 18, ExtCondition::Any, 18},  {20, 19, ExtCondition::Any, 19},  {21, 20, ExtCondition::Any, 20},
    {22, 21, ExtCondition::Any, 21},  {23, 22, ExtCondition::Any, 22},  {24, 23, ExtCondition::Any, 27},
    {25, 24, ExtCondition::Any, 23},  {26, 25, ExtCondition::Any, 28},  {27, 26, ExtCondition::Any, 24},
    {28, 27, ExtCondition::Any, 25},  {29, 15, ExtCondition::Any, 30},  {30, 28, ExtCondition::Any, 26},
    {31, 29, ExtCondition::Any, 29},  {32, 30, ExtCondition::Any, 31},  {33, 31, ExtCondition::Any, 35},
    {34, 32, ExtCondition::Any, 32},  {35, 33, ExtCondition::Any, 33},  {36, 34, ExtCondition::Any, 34},
}};

namespace {

constexpr std::uint32_t k256K = 0x40000;
constexpr std::uint32_t k512K = 0x80000;
constexpr std::uint32_t k2M = 0x200000;

bool conditionHolds(ExtCondition condition, bool ext) {
  switch (condition) {
    case ExtCondition::Any: return true;
    case ExtCondition::ExtOff: return !ext;
    case ExtCondition::ExtOn: return ext;
  }
  return false;
}

bool isOneOf(int driveType, std::initializer_list<int> types) {
  for (int t : types)
    if (t == driveType) return true;
  return false;
}

bool inRange(int driveType, int first, int last) { return driveType >= first && driveType <= last; }

// Drive types whose combined files carry a CD-R/RW part and a DVD part of different lengths.
bool isCombinedType(int driveType) { return inRange(driveType, 13, 15) || isOneOf(driveType, {25, 30}); }

}  // namespace

bool IsCombinedDrive(int driveType) { return isOneOf(driveType, {14, 25, 30}); }

std::string_view modelIdentifier(const ModelRow& row) { return kModelIdentifiers[row.model - 1]; }

int lookupDriveType(std::string_view identifier, bool ext) {
  for (const ModelRow& row : kModelTable)
    if (modelIdentifier(row) == identifier && conditionHolds(row.condition, ext)) return row.driveType;
  return 0;
}

int ModelToDriveType(std::string_view identifier, bool ext) {
  int driveType = lookupDriveType(identifier, ext);
  if (driveType == 0) {
    std::string text(identifier.substr(0, kModelIdentifierLength));
    LogWarn("FWI: Illegal drive type <%s>", text.c_str());
  }
  return driveType;
}

ChecksumClass checksumClass(int driveType) {
  if (driveType == 1) return ChecksumClass::One;
  if (inRange(driveType, 2, 21) || inRange(driveType, 24, 26) || inRange(driveType, 30, 32) || driveType == 35)
    return ChecksumClass::Two;
  if (isOneOf(driveType, {22, 23, 27, 28, 29, 33, 34})) return ChecksumClass::NotFlashable;
  return ChecksumClass::Unknown;
}

int checksumCount(ChecksumClass checksums) { return checksums == ChecksumClass::One ? 1 : 2; }

std::optional<std::uint32_t> requiredLength(int driveType) {
  if (inRange(driveType, 1, 6) || isOneOf(driveType, {8, 11, 12, 17, 24})) return k256K;
  if (isOneOf(driveType, {7, 9, 10, 16, 26}) || inRange(driveType, 18, 21)) return k512K;
  if (isOneOf(driveType, {31, 32, 35})) return k2M;
  return std::nullopt;
}

bool lengthAccepted(int driveType, int firmwarePart, std::uint64_t length) {
  if (isCombinedType(driveType)) {
    if (firmwarePart == kCdPart) return length == k512K;
    if (firmwarePart == kDvdPart) return length == k256K;
    return true;
  }
  auto required = requiredLength(driveType);
  return required && length == *required;
}

std::string describeAcceptedLengths(int driveType) {
  if (isCombinedType(driveType)) return "524288 (part 100), 262144 (part 101), any (other parts)";
  auto required = requiredLength(driveType);
  return required ? std::to_string(*required) : "none";
}

}  // namespace quillon
