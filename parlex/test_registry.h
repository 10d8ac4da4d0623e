#pragma once
// For tests: a hive of the test's own, active while the fixture lives, in which the
// "Language" value can be written with any type and bytes.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace parlex {

class LanguageRegistry : public ::testing::Test {
 protected:
  static constexpr const char* kKey = "SOFTWARE\\Vorante\\Quillon";

  void setValue(platform::DWORD type, std::string_view bytes, const char* name = "Language") {
    platform::ScopedKey key;
      ASSERT_EQ(platform::RegCreateKeyEx(platform::HKEY_LOCAL_MACHINE, kKey, platform::KEY_SET_VALUE, key.out(),
                                       nullptr),
              platform::ERROR_SUCCESS);
    ASSERT_EQ(platform::RegSetValueEx(key.get(), name, type, reinterpret_cast<const platform::BYTE*>(bytes.data()),
                                      static_cast<platform::DWORD>(bytes.size())),
              platform::ERROR_SUCCESS);
  }

  // As a REG_SZ value, with its terminating zero.
  void setLanguage(std::string_view name) { setValue(platform::REG_SZ, std::string(name) + '\0'); }

  platform::Hive hive_;
  platform::ScopedHive scoped_{hive_};
};

}  // namespace parlex
