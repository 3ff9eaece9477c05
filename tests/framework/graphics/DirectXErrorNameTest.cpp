#include "framework/graphics/DirectXErrorName.h"

#include <gtest/gtest.h>

namespace {

platform::HRESULT Code(uint32_t v) { return static_cast<platform::HRESULT>(v); }

TEST(DirectXErrorName, NamesComeFromTheirFacility)
{
    EXPECT_EQ(DirectXErrorName(Code(0x887601C2)), "DDERR_SURFACELOST");
    EXPECT_EQ(DirectXErrorName(Code(0x88760091)), "DDERR_INVALIDPIXELFORMAT");
    EXPECT_EQ(DirectXErrorName(Code(0x88780096)), "DSERR_BUFFERLOST");
    EXPECT_EQ(DirectXErrorName(Code(0x887602BC)), "D3DERR_BADMAJORVERSION");
    EXPECT_EQ(DirectXErrorName(Code(0x88760836)), "D3DERR_NOTINBEGINSTATEBLOCK");
}

TEST(DirectXErrorName, SharedComCodesHaveOneChosenName)
{
    EXPECT_EQ(DirectXErrorName(platform::E_FAIL), "DSERR_GENERIC");
    EXPECT_EQ(DirectXErrorName(platform::E_NOTIMPL), "DDERR_UNSUPPORTED");
    EXPECT_EQ(DirectXErrorName(platform::E_INVALIDARG), "DDERR_INVALIDPARAMS");
    EXPECT_EQ(DirectXErrorName(platform::E_OUTOFMEMORY), "E_OUTOFMEMORY");
    EXPECT_EQ(DirectXErrorName(Code(0x800401F0)), "DDERR_NOTINITIALIZED");
}

TEST(DirectXErrorName, UnknownValueIsBareLowerCaseHex)
{
    EXPECT_EQ(DirectXErrorName(Code(0x8876ABCD)), "8876abcd");
    EXPECT_EQ(DirectXErrorName(Code(0x887601C3)), "887601c3"); // no masking or nearest match
    EXPECT_EQ(DirectXErrorName(Code(0x00000ABC)), "abc");
}

} // namespace
