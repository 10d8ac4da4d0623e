#include "platform/dynlib.h"

#include <gtest/gtest.h>

#include "platform/aspi.h"
#include "platform/cdrmgr.h"
#include "platform/test_host.h"

namespace platform {
namespace {

TEST(LibraryNames, MapToTheStandInBesideLibplatform) {
  const std::pair<const char*, const char*> cases[] = {
      {"WNASPI32", "libwnaspi32.so"},    {"Cdr4Dll", "libcdr4dll.so"},       {"brenscsi.dll", "libbrenscsi.so"},
      {"CDR4DLL.DLL", "libcdr4dll.so"},  {"Tessway\\brenscsi.dll", "libbrenscsi.so"},
  };
  for (auto [name, file] : cases) EXPECT_EQ(libraryFileName(name), file) << name;
}

TEST(ExportNames, LoseTheirStdcallDecorationOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"_CDR4VSDStartFileSystemBlocking@4", "CDR4VSDStartFileSystemBlocking"},
      {"_Name@12", "Name"},
      {"SendASPI32Command", "SendASPI32Command"},
      {"_Name", "_Name"},
      {"_Name@", "_Name@"},
      {"_Name@4x", "_Name@4x"},
      {"_@4", "_@4"},
  };
  for (auto [decorated, plain] : cases) EXPECT_EQ(undecoratedName(decorated), plain) << decorated;
}

class Libraries : public ::testing::Test {
 protected:
  testing::FakeHost machine;
  ScopedHost scoped{machine};
};

TEST_F(Libraries, AnOutsideLibraryLoadsOnlyWhereTheMachineHasIt) {
  for (const char* name : {"WNASPI32", "wnaspi32.dll", "Cdr4Dll"}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibrary(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND});
  }
  machine.installed = {"WNASPI32", "CDR4DLL"};
  for (const char* name : {"WNASPI32", "wnaspi32.dll", "Cdr4Dll"}) {
    ScopedLibrary library(LoadLibrary(name));
    EXPECT_TRUE(library) << name;
  }
}

TEST_F(Libraries, AMissingOrMalformedNameIsNotFound) {
  for (const char* name : {"NoSuchLibrary", "", ".dll", "..\\", "lib wnaspi32"}) {
    SetLastError(0);
    EXPECT_EQ(LoadLibrary(name), nullptr) << name;
    EXPECT_EQ(GetLastError(), DWORD{ERROR_MOD_NOT_FOUND}) << name;
  }
  EXPECT_EQ(LoadLibrary(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
}

TEST_F(Libraries, BindsExportsByTheirDecoratedOrPlainNames) {
  machine.installed = {"WNASPI32", "CDR4DLL"};
  ScopedLibrary cdr(LoadLibrary(kCdrLibraryName));
  ASSERT_TRUE(cdr);
  for (const char* name : {kCdrStartBlockingName, kCdrEndBlockingName, kCdrQueryBlockingName})
    EXPECT_NE(GetProcAddress(cdr.get(), name), nullptr) << name;
  ScopedLibrary aspi(LoadLibrary("WNASPI32"));
  auto info = reinterpret_cast<GetASPI32SupportInfoFunction>(GetProcAddress(aspi.get(), "GetASPI32SupportInfo"));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info(), DWORD{SS_NO_ADAPTERS} << 8);
}

TEST_F(Libraries, FindsOnlyWhatTheLibraryItselfExports) {
  machine.installed = {"WNASPI32"};
  ScopedLibrary aspi(LoadLibrary("WNASPI32"));
  // Defined by its dependencies (the C library, libplatform) or hidden inside it.
  for (const char* name : {"malloc", "_ZN8platform4hostEv", "Missing", "_SendASPI32Command@8x"}) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(aspi.get(), name), nullptr) << name;
    EXPECT_EQ(GetLastError(), DWORD{ERROR_PROC_NOT_FOUND}) << name;
  }
  EXPECT_EQ(GetProcAddress(aspi.get(), reinterpret_cast<const char*>(std::uintptr_t{1})), nullptr);  // an ordinal
}

TEST_F(Libraries, ARefusedModuleIsNeverPassedOn) {
  machine.installed = {"WNASPI32"};
  HMODULE first = LoadLibrary("WNASPI32");
  HMODULE second = LoadLibrary("WNASPI32");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_NE(GetProcAddress(first, "SendASPI32Command"), nullptr);  // still loaded once
  EXPECT_TRUE(FreeLibrary(second));
  int notAModule = 0;
  for (HMODULE bad : {first, HMODULE{nullptr}, static_cast<HMODULE>(&notAModule)}) {
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(bad));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    EXPECT_EQ(GetProcAddress(bad, "SendASPI32Command"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
  }
}

}  // namespace
}  // namespace platform
