#include "parlex/Lngstring.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "parlex/Cimstring.h"
#include "parlex/Dristring.h"
#include "parlex/Fwistring.h"
#include "parlex/Guistring.h"
#include "parlex/Knlstring.h"
#include "parlex/Oemstring.h"
#include "parlex/Osistring.h"
#include "platform/registry.h"

using namespace parlex;

namespace {

constexpr const char* kIllegalText = "LNG : Language Handling, Illegal string in table.";

constexpr const char* kLanguageKey = "SOFTWARE\\Vorante\\Quillon";
constexpr const char* kLanguageValue = "Language";
constexpr std::size_t kLanguageBuffer = 100;

// In the order they are tried; the position gives the language number.
constexpr std::array<std::string_view, 3> kLanguageNames = {"English", "German", "French"};

char foldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return foldCase(x) == foldCase(y); });
}

int languageNamed(std::string_view name) {
  for (std::size_t i = 0; i < kLanguageNames.size(); ++i)
    if (sameIgnoringCase(name, kLanguageNames[i])) return static_cast<int>(i) + 1;
  return kEnglish;
}

// Only the bytes the registry returned, up to the first zero: REG_BINARY and REG_DWORD data
// carry no terminator, and the rest of the buffer is not part of the value.
std::string_view valueText(const std::array<platform::BYTE, kLanguageBuffer>& data, platform::DWORD size) {
  std::string_view bytes(reinterpret_cast<const char*>(data.data()), std::min<std::size_t>(size, data.size()));
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

TlngString::TlngString() : TlngString(fechLanguage()) {}

TlngString::TlngString(int language)
    : gui_(std::make_unique<TguiString>(language)),
      fwi_(std::make_unique<TfwiString>(language)),
      cim_(std::make_unique<TcimString>(language)),
      dri_(std::make_unique<TdriString>(language)),
      knl_(std::make_unique<TknlString>(language)),
      osi_(std::make_unique<TosiString>(language)),
      oem_(std::make_unique<ToemString>(language)),
      illegal_(kIllegalText) {}

TlngString::~TlngString() = default;

const char* TlngString::String(std::int32_t code) const {
  const std::int32_t number = code & kNumberMask;
  if (TguiString::holds(number)) return gui_->String(number - TguiString::base);
  if (TfwiString::holds(number)) return fwi_->String(number - TfwiString::base);
  if (TcimString::holds(number)) return cim_->String(number - TcimString::base);
  if (TdriString::holds(number)) return dri_->String(number - TdriString::base);
  if (TknlString::holds(number)) return knl_->String(number - TknlString::base);
  if (TosiString::holds(number)) return osi_->String(number - TosiString::base);
  if (ToemString::holds(number)) return oem_->String(number - ToemString::base);
  return illegal_;
}

// The value's type is not checked: any value whose bytes spell a language name counts.
int TlngString::fechLanguage() {
  platform::ScopedKey key;
  if (platform::RegOpenKeyEx(platform::HKEY_LOCAL_MACHINE, kLanguageKey, 0, platform::KEY_QUERY_VALUE, key.out()) !=
      platform::ERROR_SUCCESS)
    return kEnglish;
  std::array<platform::BYTE, kLanguageBuffer> data{};
  platform::DWORD size = data.size();
  if (platform::RegQueryValueEx(key.get(), kLanguageValue, nullptr, data.data(), &size) != platform::ERROR_SUCCESS)
    return kEnglish;
  return languageNamed(valueText(data, size));
}
