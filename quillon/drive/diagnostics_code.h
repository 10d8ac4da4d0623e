#pragma once
// The access code that the maker's drives want in bytes 1-10 of the command that opens their
// diagnostics mode: ten upper-case ASCII letters and digits, kept in this one place.

#include <string_view>

namespace quillon {

inline constexpr std::string_view kDiagnosticsAccessCode = "VQ7K2M9RXA";

}  // namespace quillon
