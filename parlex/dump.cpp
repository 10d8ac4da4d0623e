#include "parlex/dump.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <array>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

#include "parlex/Cimstring.h"
#include "parlex/Dristring.h"
#include "parlex/Fwistring.h"
#include "parlex/Guistring.h"
#include "parlex/Knlstring.h"
#include "parlex/Lngstring.h"
#include "parlex/Oemstring.h"
#include "parlex/Osistring.h"
#include "platform/registry.h"

namespace parlex {
namespace {

constexpr const char* kUsage = "usage: parlex-dump [--lang en|de|fr] [--json]\n";

constexpr int kExitOk = 0;
constexpr int kExitNoCatalogue = 1;
constexpr int kExitUsage = 2;

struct Language {
  const char* code;
  const char* name;  // as the registry value names it, and as the column heading
};

// Position plus one is the language number.
constexpr std::array<Language, 3> kLanguages = {{{"en", "English"}, {"de", "German"}, {"fr", "French"}}};

struct Range {
  std::int32_t base;
  std::int32_t count;
  std::string_view hole;
};

template <class Table>
constexpr Range rangeOf() {
  return {Table::base, Table::count, Table::kHoleText};
}

constexpr std::array<Range, 7> kRanges = {rangeOf<TguiString>(), rangeOf<TfwiString>(), rangeOf<TcimString>(),
                                          rangeOf<TdriString>(), rangeOf<TknlString>(), rangeOf<TosiString>(),
                                          rangeOf<ToemString>()};

struct UsageError {
  std::string message;
};

struct Options {
  std::vector<std::size_t> languages = {0, 1, 2};
  bool json = false;
};

std::size_t languageCoded(const std::string& code) {
  for (std::size_t i = 0; i < kLanguages.size(); ++i)
    if (code == kLanguages[i].code) return i;
  throw UsageError{"unknown language '" + code + "'"};
}

Options parse(const std::vector<std::string>& args) {
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      options.json = true;
    } else if (args[i] == "--lang") {
      if (++i == args.size()) throw UsageError{"--lang needs en, de or fr"};
      options.languages = {languageCoded(args[i])};
    } else {
      throw UsageError{"unknown argument '" + args[i] + "'"};
    }
  }
  return options;
}

bool setLanguageValue(const char* name) {
  platform::ScopedKey key;
  if (platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, "SOFTWARE\\Vorante\\Quillon", platform::KEY_SET_VALUE,
                               key.out(), nullptr) != platform::ERROR_SUCCESS)
    return false;
  const std::string_view value(name);
  return platform::RegSetValueEx(key.get(), "Language", platform::REG_SZ,
                                 reinterpret_cast<const platform::BYTE*>(value.data()),
                                 static_cast<platform::DWORD>(value.size() + 1)) == platform::ERROR_SUCCESS;
}

// The catalogue takes its language from the registry only, so each one is built inside a
// hive of its own that names the language; null when the registry did not take it.
std::unique_ptr<TlngString> catalogueIn(std::size_t language) {
  platform::Hive hive;
  platform::ScopedHive scoped(hive);
  if (!setLanguageValue(kLanguages[language].name)) return nullptr;
  if (TlngString::fechLanguage() != static_cast<int>(language) + 1) return nullptr;
  return std::make_unique<TlngString>();
}

struct Row {
  std::int32_t number;
  bool hole = false;
  std::vector<std::string_view> texts;  // one per language shown
};

std::vector<Row> rows(const std::vector<std::unique_ptr<TlngString>>& catalogues) {
  std::vector<Row> result;
  for (const Range& range : kRanges) {
    for (std::int32_t number = range.base; number < range.base + range.count; ++number) {
      Row row{number, false, {}};
      for (const auto& catalogue : catalogues) {
        row.texts.emplace_back(catalogue->String(number));
        row.hole = row.hole || row.texts.back() == range.hole;
      }
      result.push_back(std::move(row));
    }
  }
  return result;
}

std::string escaped(std::string_view text) {
  std::string result;
  for (char c : text) {
    if (c == '\n')
      result += "\\n";
    else if (c == '\\')
      result += "\\\\";
    else
      result += c;
  }
  return result;
}

void printTable(std::ostream& out, const std::vector<Row>& rows, const Options& options) {
  std::vector<std::string_view> headings;
  for (std::size_t language : options.languages) headings.emplace_back(kLanguages[language].name);
  fmt::print(out, "No.\tHole\t{}\n", fmt::join(headings, "\t"));
  for (const Row& row : rows) {
    std::vector<std::string> texts;
    for (std::string_view text : row.texts) texts.push_back(escaped(text));
    fmt::print(out, "{}\t{}\t{}\n", row.number, row.hole ? "hole" : "", fmt::join(texts, "\t"));
  }
}

void printJson(std::ostream& out, const std::vector<Row>& rows, const Options& options) {
  for (const Row& row : rows) {
    nlohmann::ordered_json object = {{"number", row.number}};
    for (std::size_t i = 0; i < options.languages.size(); ++i)
      object[kLanguages[options.languages[i]].code] = row.texts[i];
    object["hole"] = row.hole;
    out << object.dump() << '\n';
  }
}

}  // namespace

int runDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  try {
    options = parse(args);
  } catch (const UsageError& error) {
    fmt::print(err, "parlex-dump: {}\n{}", error.message, kUsage);
    return kExitUsage;
  }
  std::vector<std::unique_ptr<TlngString>> catalogues;
  for (std::size_t language : options.languages) {
    catalogues.push_back(catalogueIn(language));
    if (!catalogues.back()) {
      fmt::print(err, "parlex-dump: the registry did not take the language {}\n", kLanguages[language].name);
      return kExitNoCatalogue;
    }
  }
  const std::vector<Row> table = rows(catalogues);
  if (options.json)
    printJson(out, table, options);
  else
    printTable(out, table, options);
  return kExitOk;
}

}  // namespace parlex
