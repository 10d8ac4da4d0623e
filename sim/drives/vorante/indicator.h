#pragma once
// The drive's "DISC IN" indicator as the owner sees it on the front panel: it blinks while
// the drive programs its flash, stays lit once the new firmware runs, and blinks its error
// pattern after a download the drive refused or could not take. The owner confirms the
// outcome of an update by it, so it follows only what the drive itself did.

#include <optional>
#include <string_view>

namespace sim::vorante {

enum class Indicator { Off, Blinking, SteadyOk, ErrorBlink };

// "off", "blinking", "steady", "error": the names kept in a machine's drive state.
std::string_view indicatorName(Indicator indicator);
std::optional<Indicator> indicatorNamed(std::string_view name);

}  // namespace sim::vorante
