#include "sim/drives/vorante/indicator.h"

#include <array>
#include <utility>

namespace sim::vorante {
namespace {

constexpr std::array<std::pair<Indicator, std::string_view>, 4> kNames = {{
    {Indicator::Off, "off"},
    {Indicator::Blinking, "blinking"},
    {Indicator::SteadyOk, "steady"},
    {Indicator::ErrorBlink, "error"},
}};

}  // namespace

std::string_view indicatorName(Indicator indicator) {
  for (const auto& [value, name] : kNames)
    if (value == indicator) return name;
  return "off";
}

std::optional<Indicator> indicatorNamed(std::string_view name) {
  for (const auto& [value, known] : kNames)
    if (known == name) return value;
  return std::nullopt;
}

}  // namespace sim::vorante
