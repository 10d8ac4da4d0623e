#include "quillon/drive/drive_record.h"

#include <fmt/format.h>

#include <algorithm>

#include "quillon/gui/logging.h"

namespace quillon {

std::string_view fieldText(std::span<const char> field) {
  auto end = std::find(field.begin(), field.end(), '\0');
  return {field.data(), static_cast<std::size_t>(end - field.begin())};
}

void setFieldText(std::span<char> field, std::string_view text) {
  if (field.empty()) return;
  std::size_t count = std::min(text.size(), field.size() - 1);
  std::copy_n(text.begin(), count, field.begin());
  std::fill(field.begin() + static_cast<std::ptrdiff_t>(count), field.end(), '\0');
}

void TrimRight(std::span<char> text, std::size_t width) {
  std::size_t n = std::min(width, fieldText(text).size());
  for (std::size_t k = n; k-- > 1 && text[k] == ' ';) text[k] = '\0';
}

void BuildDisplayText(DriveRecord& record) {
  std::string text = fmt::format("{:<8}{:<16}{}", fieldText(record.vendor), fieldText(record.product),
                                 fieldText(record.revision));
  setFieldText(record.displayText, text);
}

void ClassifyAdapter(DriveRecord& record) {
  std::string_view id = fieldText(record.adapterId);
  auto has = [id](std::string_view part) { return id.find(part) != std::string_view::npos; };
  if (has("ESDI") || has("esdi")) {
    record.adapterClass = kAdapterIde;
  } else if (has("epatapi") || has("EPATAPI")) {
    record.adapterClass = kAdapterParallelPort;
  } else {
    record.adapterClass = kAdapterScsi;
    LogInfo("Adapter <%s> assumed to be a SCSI adapter", record.adapterId.data());
  }
}

void NumberChannels(std::span<DriveRecord> records, std::size_t i) {
  if (i < 1 || i >= records.size()) return;
  const DriveRecord& previous = records[i - 1];
  DriveRecord& record = records[i];
  if (previous.hostAdapter < record.hostAdapter && fieldText(previous.adapterId) == fieldText(record.adapterId))
    record.channel = previous.channel + 1;
}

}  // namespace quillon
