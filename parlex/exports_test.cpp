// Quillon sees TlngString only; the table classes must not leak out of libparlex.so.

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

TEST(Exports, TheLibraryExportsTlngStringAndNotItsTables) {
  void* library = ::dlopen(PARLEX_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr) << ::dlerror();
  EXPECT_NE(::dlsym(library, "_ZN10TlngStringC1Ev"), nullptr) << "TlngString::TlngString()";
  EXPECT_NE(::dlsym(library, "_ZNK10TlngString6StringEi"), nullptr) << "TlngString::String(int) const";
  EXPECT_EQ(::dlsym(library, "_ZN6parlex10TguiStringC1Ei"), nullptr) << "parlex::TguiString::TguiString(int)";
  EXPECT_EQ(::dlsym(library, "_ZN6parlex10ToemStringC1Ei"), nullptr) << "parlex::ToemString::ToemString(int)";
  ::dlclose(library);
}

}  // namespace
