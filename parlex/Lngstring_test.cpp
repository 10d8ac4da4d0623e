#include "parlex/Lngstring.h"

#include <gtest/gtest.h>

#include <string>

#include "parlex/test_registry.h"

namespace parlex {
namespace {

using platform::REG_BINARY;
using platform::REG_DWORD;
using platform::REG_SZ;

constexpr int kEnglish = 1;
constexpr int kGerman = 2;
constexpr int kFrench = 3;

constexpr const char* kCatalogueIllegal = "LNG : Language Handling, Illegal string in table.";

struct Lookup {
  std::int32_t code;
  const char* text;
};

class Catalogue : public LanguageRegistry {};

TEST_F(Catalogue, FindsTheTextByNumberWhateverTheSeverityByte) {
  const Lookup lookups[] = {
      {0, "<< &Back"},
      {0x01000000, "<< &Back"},
      {0x0300012D, "Invalid Drive Handle."},
      {301, "Invalid Drive Handle."},
      {static_cast<std::int32_t>(0xFF00012D), "Invalid Drive Handle."},
      {0x04000191, "KNL: No match"},
      {100, "FWI: Firmware file not found."},
      {104, "FWI: Illegal Firmware Revision."},
      {201, "CIM: OEM file not found."},
      {206, "CIM: OEM file corrupt."},
      {300, "DRI: Memory allocation error."},
      {311, "In order to be able to flash the drive to the new firmware, Adaptec's Aspi needs to be installed "
            "first.\n\nPlease shut down this quillon. Install Aspi and reboot your system."},
      {400, "KNL: No drive selected."},
      {403, "KNL: Illegal drive handle"},
      {500, "Windows Registry Access Error."},
      {510, "No IDE Host Adapter"},
      {600, "OK"},
      {604, "At least one drive should be entered in the supported Drive/Firmware list."},
  };
  TlngString catalogue;
  for (const Lookup& lookup : lookups) EXPECT_STREQ(catalogue.String(lookup.code), lookup.text) << lookup.code;
}

TEST_F(Catalogue, AnswersANumberWithoutTextWithItsTablesHoleText) {
  TlngString catalogue;
  EXPECT_STREQ(catalogue.String(67), "GUI : Language Handling. Hole in string array");
  EXPECT_STREQ(catalogue.String(0x03000043), "GUI : Language Handling. Hole in string array");
  EXPECT_STREQ(catalogue.String(200), "CIM : Hole in string array");
}

TEST_F(Catalogue, AnswersANumberOutsideEveryTableWithTheIllegalText) {
  const std::int32_t outside[] = {70, 99, 105, 199, 207, 299, 312, 399, 404, 499, 511, 599, 605,
                                  0x00FFFFFF, 0x04000046, -1, static_cast<std::int32_t>(0x80000070)};
  TlngString catalogue;
  for (std::int32_t code : outside) EXPECT_STREQ(catalogue.String(code), kCatalogueIllegal) << code;
}

TEST_F(Catalogue, SpeaksTheLanguageTheRegistryNames) {
  setLanguage("German");
  TlngString german;
  EXPECT_STREQ(german.String(0), "<< &Zurück");
  EXPECT_STREQ(german.String(4), "&Browse");
  EXPECT_STREQ(german.String(5), "&Ende");
  EXPECT_STREQ(german.String(67), "GUI : Language Handling. Hole in string array");
  EXPECT_STREQ(german.String(70), kCatalogueIllegal);
  setLanguage("French");
  TlngString french;
  EXPECT_STREQ(french.String(4), "&Rechercher");
  EXPECT_STREQ(french.String(310), "No medium present.");
  EXPECT_STREQ(french.String(200), "CIM : Hole in string array");
  EXPECT_STREQ(german.String(0), "<< &Zurück") << "a catalogue keeps the language it was built with";
}

TEST_F(Catalogue, TextsOutliveTheCatalogueThatGaveThem) {
  setLanguage("French");
  const char* text = nullptr;
  {
    TlngString catalogue;
    text = catalogue.String(0x0100000D);
  }
  TlngString other;
  EXPECT_STREQ(text, "Sélectionner un périphérique");
  EXPECT_EQ(text, other.String(13)) << "both point at the library's one constant";
}

struct Value {
  const char* what;
  platform::DWORD type;
  std::string bytes;
  int language;
};

class LanguageChoice : public LanguageRegistry {};

TEST_F(LanguageChoice, ComparesTheValueIgnoringCaseAndReadsNoFurtherThanItsData) {
  using namespace std::string_literals;
  const Value values[] = {
      {"exact", REG_SZ, "German\0"s, kGerman},
      {"lower case", REG_SZ, "german\0"s, kGerman},
      {"upper case", REG_SZ, "FRENCH\0"s, kFrench},
      {"mixed case", REG_SZ, "eNgLiSh\0"s, kEnglish},
      {"another name", REG_SZ, "Deutsch\0"s, kEnglish},
      {"empty", REG_SZ, "\0"s, kEnglish},
      {"a prefix", REG_SZ, "Germ\0"s, kEnglish},
      {"longer", REG_SZ, "Germany\0"s, kEnglish},
      {"trailing space", REG_SZ, "French \0"s, kEnglish},
      {"no terminator", REG_BINARY, "German"s, kGerman},
      {"zero then more bytes", REG_BINARY, "French\0xyz"s, kFrench},
      {"more bytes, no zero", REG_BINARY, "Frenchxyz"s, kEnglish},
      {"a number", REG_DWORD, "\x02\0\0\0"s, kEnglish},
      {"fills the buffer", REG_BINARY, "German"s + std::string(94, '\0'), kGerman},
      {"fills the buffer, no zero", REG_BINARY, std::string(100, 'G'), kEnglish},
      {"one byte too long", REG_SZ, "German"s + std::string(95, '\0'), kEnglish},
  };
  for (const Value& value : values) {
    setValue(value.type, value.bytes);
    EXPECT_EQ(TlngString::fechLanguage(), value.language) << value.what;
  }
}

TEST_F(LanguageChoice, IsEnglishWithoutKeyOrValue) {
  EXPECT_EQ(TlngString::fechLanguage(), kEnglish);
  setValue(REG_SZ, std::string("German\0", 7), "Sprache");
  EXPECT_EQ(TlngString::fechLanguage(), kEnglish);
  EXPECT_STREQ(TlngString().String(5), "E&xit");
}

}  // namespace
}  // namespace parlex
