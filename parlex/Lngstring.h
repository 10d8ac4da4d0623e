#pragma once
// Parlex, Quillon's message catalogue: result codes to user-visible texts in English, German
// or French. The language is read once, when a catalogue is built, from the value "Language"
// under HKEY_LOCAL_MACHINE "SOFTWARE\Vorante\Quillon"; English when there is none.
// TlngString is the library's only export.

#include <cstdint>
#include <memory>

namespace parlex {
class TguiString;
class TfwiString;
class TcimString;
class TdriString;
class TknlString;
class TosiString;
class ToemString;
}  // namespace parlex

class __attribute__((visibility("default"))) TlngString {
 public:
  // Reads the language, then builds the seven tables; a table that cannot be allocated throws
  // std::bad_alloc, and the ones already built are freed.
  TlngString();
  ~TlngString();
  TlngString(const TlngString&) = delete;
  TlngString& operator=(const TlngString&) = delete;

  // The UTF-8 text for a result code; the severity byte is ignored. Never null. The text is a
  // constant of the library: it must not be freed and outlives this object.
  const char* String(std::int32_t code) const;

  // 1 English, 2 German, 3 French.
  static int fechLanguage();

 private:
  explicit TlngString(int language);

  std::unique_ptr<parlex::TguiString> gui_;
  std::unique_ptr<parlex::TfwiString> fwi_;
  std::unique_ptr<parlex::TcimString> cim_;
  std::unique_ptr<parlex::TdriString> dri_;
  std::unique_ptr<parlex::TknlString> knl_;
  std::unique_ptr<parlex::TosiString> osi_;
  std::unique_ptr<parlex::ToemString> oem_;
  const char* illegal_;
};
