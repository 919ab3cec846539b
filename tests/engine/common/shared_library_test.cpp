// Libraries opened when first needed: a missing library or function is a failure that names
// it, never a crash at the first call.
#include "engine/common/shared_library.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace vantorel {
namespace {

TEST(SharedLibrary, OpensALibraryAndBindsItsFunctions) {
    auto libc = openSharedLibrary("libc.so.6");
    ASSERT_TRUE(libc.ok()) << libc.error().description();
    decltype(&std::strlen) length = nullptr;
    ASSERT_TRUE(bindFunction(libc.value(), "libc.so.6", "strlen", length).ok());
    EXPECT_EQ(length("vantorel"), 8u);
}

TEST(SharedLibrary, AMissingLibraryOrFunctionIsAFailureThatNamesIt) {
    auto missing = openSharedLibrary("libvantorel-none.so.0");
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().is(ErrorCategory::System, ELIBACC));
    EXPECT_NE(missing.error().description().find("libvantorel-none.so.0"), std::string::npos);

    auto libc = openSharedLibrary("libc.so.6");
    ASSERT_TRUE(libc.ok());
    void (*none)() = nullptr;
    auto bound = bindFunction(libc.value(), "libc.so.6", "vantorel_no_such_function", none);
    ASSERT_FALSE(bound.ok());
    EXPECT_TRUE(bound.error().is(ErrorCategory::System, ELIBACC));
    EXPECT_NE(bound.error().description().find("vantorel_no_such_function"), std::string::npos);
    EXPECT_EQ(none, nullptr);
}

}  // namespace
}  // namespace vantorel
