#pragma once

#include <string_view>

namespace quillon {

// The code the maker's drives want in bytes 1-10 of 0xF0 before they open their diagnostics mode.
inline constexpr std::string_view kDiagnosticsAccessCode = "VQ7K2M9RXA";

}  // namespace quillon
