#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <vector>

#include "com/holders.h"
#include "com/utf.h"
#include "com_fake_object.h"

namespace {

using nox::UniqueVariant;
using nox::testing::Bool;
using nox::testing::FakeObject;
using nox::testing::I4;
using nox::testing::MakeVariant;
using nox::testing::R8;

VARIANT Text(std::u16string_view s) {
    return MakeVariant(VT_BSTR, SysAllocStringLen(s.data(), UINT(s.size())));
}
VARIANT Marker(VARTYPE vt) { return MakeVariant(vt, int64_t{0}); }

std::string Describe(const VARIANT& v) {
    char number[32];
    const auto real = [&](double x) {
        return std::string(number, std::to_chars(number, number + 32, x).ptr);
    };
    if (v.vt == VT_EMPTY) return "EMPTY";
    if (v.vt == VT_NULL) return "NULL";
    if (v.vt == VT_I2) return "I2 " + std::to_string(v.iVal);
    if (v.vt == VT_I4) return "I4 " + std::to_string(v.lVal);
    if (v.vt == VT_INT) return "INT " + std::to_string(v.intVal);
    if (v.vt == VT_UI1) return "UI1 " + std::to_string(v.bVal);
    if (v.vt == VT_I8) return "I8 " + std::to_string(v.llVal);
    if (v.vt == VT_R8) return "R8 " + real(v.dblVal);
    if (v.vt == VT_BOOL) return "BOOL " + std::to_string(v.boolVal);
    if (v.vt == VT_ERROR) return "ERROR " + std::to_string(v.scode);
    if (v.vt == VT_BSTR) return "BSTR " + nox::BstrToUtf8(v.bstrVal);
    return "vt " + std::to_string(v.vt);
}

struct Case {
    VARIANT source;  // owned by the case: cleared after it ran
    VARTYPE vt;
    HRESULT hr;
    std::string expected = "EMPTY";
    USHORT flags = 0;
};

void ExpectConversions(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        UniqueVariant source(c.source);
        UniqueVariant result;
        const std::string from = Describe(source.get());
        const HRESULT hr = VariantChangeType(result.Put(), &source.get(), c.flags, c.vt);
        EXPECT_EQ(hr, c.hr) << from << " to vt " << c.vt;
        EXPECT_EQ(Describe(result.get()), c.expected) << from;  // failures leave the destination alone
    }
}

TEST(VariantChangeType, NumbersRoundHalfToEvenAndAreRangeChecked) {
    ExpectConversions({
        {R8(0.5), VT_I4, S_OK, "I4 0"},
        {R8(1.5), VT_I4, S_OK, "I4 2"},
        {R8(2.5), VT_I4, S_OK, "I4 2"},
        {R8(-1.5), VT_I4, S_OK, "I4 -2"},
        {R8(2147483647.4), VT_I4, S_OK, "I4 2147483647"},
        {R8(2147483647.5), VT_I4, DISP_E_OVERFLOW},
        {R8(-2147483648.5), VT_I4, S_OK, "I4 -2147483648"},
        {R8(-2147483648.5000005), VT_I4, DISP_E_OVERFLOW},
        {R8(std::nan("")), VT_I4, DISP_E_OVERFLOW},
        {R8(32767.5), VT_I2, DISP_E_OVERFLOW},
        {R8(-0.5), VT_UI1, S_OK, "UI1 0"},
        {R8(2.5), VT_INT, S_OK, "INT 2"},
        {R8(1e300), VT_R4, DISP_E_OVERFLOW},
        {I4(32767), VT_I2, S_OK, "I2 32767"},
        {I4(32768), VT_I2, DISP_E_OVERFLOW},
        {I4(-32769), VT_I2, DISP_E_OVERFLOW},
        {I4(-1), VT_UI1, DISP_E_OVERFLOW},
        {I4(255), VT_UI1, S_OK, "UI1 255"},
        {MakeVariant(VT_I8, int64_t{1} << 40), VT_I4, DISP_E_OVERFLOW},
    });
}

TEST(VariantChangeType, TextAndNumbersUseTheWholeTextInAnyLocale) {
    ExpectConversions({
        {Text(u" \t12 "), VT_I4, S_OK, "I4 12"},
        {Text(u"-3.5e1"), VT_R8, S_OK, "R8 -35"},
        {Text(u"+.5"), VT_R8, S_OK, "R8 0.5"},
        {Text(u"2.5"), VT_I4, S_OK, "I4 2"},
        {Text(u"9223372036854775807"), VT_I8, S_OK, "I8 9223372036854775807"},
        {Text(u"3000000000"), VT_I4, DISP_E_OVERFLOW},
        {Text(u"1e400"), VT_R8, DISP_E_OVERFLOW},
        {Text(u"1e-400"), VT_R8, S_OK, "R8 0"},
        {Text(u"12abc"), VT_I4, DISP_E_TYPEMISMATCH},
        {Text(u"1,5"), VT_R8, DISP_E_TYPEMISMATCH},
        {Text(u"5e"), VT_R8, DISP_E_TYPEMISMATCH},
        {Text(std::u16string_view(u"1\0", 2)), VT_I4, DISP_E_TYPEMISMATCH},
        {MakeVariant(VT_BSTR, BSTR{}), VT_I4, DISP_E_TYPEMISMATCH},
        {I4(-42), VT_BSTR, S_OK, "BSTR -42"},
        {R8(0.1 + 0.2), VT_BSTR, S_OK, "BSTR 0.3"},
        {R8(1.0 / 3), VT_BSTR, S_OK, "BSTR 0.333333333333333"},
        {R8(123456789012345678.0), VT_BSTR, S_OK, "BSTR 1.23456789012346E+17"},
        {R8(1e-7), VT_BSTR, S_OK, "BSTR 1E-07"},
        {R8(-0.0), VT_BSTR, S_OK, "BSTR 0"},
        {MakeVariant(VT_R4, 0.1f), VT_BSTR, S_OK, "BSTR 0.1"},
    });
}

TEST(VariantChangeType, Booleans) {
    ExpectConversions({
        {Bool(true), VT_I4, S_OK, "I4 -1"},
        {I4(5), VT_BOOL, S_OK, "BOOL -1"},
        {R8(0.0), VT_BOOL, S_OK, "BOOL 0"},
        {Bool(true), VT_BSTR, S_OK, "BSTR -1"},
        {Bool(false), VT_BSTR, S_OK, "BSTR 0"},
        {Bool(true), VT_BSTR, S_OK, "BSTR True", VARIANT_ALPHABOOL},
        {Bool(false), VT_BSTR, S_OK, "BSTR False", VARIANT_ALPHABOOL},
        {Text(u" TRUE "), VT_BOOL, S_OK, "BOOL -1"},
        {Text(u"fAlSe"), VT_BOOL, S_OK, "BOOL 0"},
        {Text(u"-2"), VT_BOOL, S_OK, "BOOL -1"},
        {Text(u"yes"), VT_BOOL, DISP_E_TYPEMISMATCH},
        {Text(u"true"), VT_I4, DISP_E_TYPEMISMATCH},
    });
}

TEST(VariantChangeType, EmptyNullErrorInvalidAndByReferenceSources) {
    LONG number = 7;
    BSTR text = SysAllocString(u"12");
    VARIANT inner = MakeVariant(VT_BYREF | VT_BSTR, &text);
    ExpectConversions({
        {Marker(VT_EMPTY), VT_I4, S_OK, "I4 0"},
        {Marker(VT_EMPTY), VT_BSTR, S_OK, "BSTR "},
        {Marker(VT_NULL), VT_I4, DISP_E_TYPEMISMATCH},
        {Marker(VT_NULL), VT_EMPTY, DISP_E_TYPEMISMATCH},
        {Marker(VT_NULL), VT_NULL, S_OK, "NULL"},
        {I4(3), VT_EMPTY, S_OK, "EMPTY"},
        {MakeVariant(VT_ERROR, DISP_E_PARAMNOTFOUND), VT_I4, DISP_E_TYPEMISMATCH},
        {MakeVariant(VT_ERROR, DISP_E_PARAMNOTFOUND), VT_BSTR, DISP_E_TYPEMISMATCH},
        {MakeVariant(VT_ERROR, DISP_E_PARAMNOTFOUND), VT_ERROR, S_OK,
         "ERROR " + std::to_string(DISP_E_PARAMNOTFOUND)},
        {I4(1), 15, DISP_E_BADVARTYPE},
        {I4(1), VT_ARRAY | VT_EMPTY, DISP_E_BADVARTYPE},
        {Marker(15), VT_I4, DISP_E_BADVARTYPE},
        {I4(1), VT_BYREF | VT_I4, DISP_E_TYPEMISMATCH},
        {I4(1), VT_DATE, DISP_E_TYPEMISMATCH},
        {MakeVariant(VT_BYREF | VT_I4, &number), VT_R8, S_OK, "R8 7"},
        {MakeVariant(VT_BYREF | VT_VARIANT, &inner), VT_I2, S_OK, "I2 12"},
        {MakeVariant(VT_BYREF | VT_BSTR, &text), VT_BSTR, S_OK, "BSTR 12"},
        {MakeVariant(VT_BYREF | VT_I4, static_cast<LONG*>(nullptr)), VT_R8, DISP_E_TYPEMISMATCH},
    });
    SysFreeString(text);
}

TEST(VariantChangeType, DestinationChangesOnlyOnSuccess) {
    UniqueVariant dst(Text(u"keep"));
    const BSTR kept = dst->bstrVal;
    UniqueVariant bad(Text(u"abc"));
    EXPECT_EQ(VariantChangeType(&dst.get(), &bad.get(), 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(dst->vt, VT_BSTR);
    EXPECT_EQ(dst->bstrVal, kept);

    UniqueVariant inPlace(Text(u"12"));
    ASSERT_EQ(VariantChangeType(&inPlace.get(), &inPlace.get(), 0, VT_I4), S_OK);
    EXPECT_EQ(Describe(inPlace.get()), "I4 12");
}

TEST(VariantChangeType, ObjectsGiveTheirDefaultValueAndConvertByIdentity) {
    FakeObject object;
    object.defaultValue = MakeVariant(VT_R8, 41.5);
    const VARIANT dispatch = MakeVariant(VT_DISPATCH, static_cast<IDispatch*>(&object));
    const VARIANT unknown = MakeVariant(VT_UNKNOWN, static_cast<IUnknown*>(&object));
    UniqueVariant result;
    ASSERT_EQ(VariantChangeType(result.Put(), &dispatch, 0, VT_I4), S_OK);
    EXPECT_EQ(Describe(result.get()), "I4 42");
    EXPECT_EQ(VariantChangeType(result.Put(), &dispatch, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
    object.invokeResult = DISP_E_MEMBERNOTFOUND;
    EXPECT_EQ(VariantChangeType(result.Put(), &dispatch, 0, VT_I4), DISP_E_TYPEMISMATCH);

    ASSERT_EQ(VariantChangeType(result.Put(), &dispatch, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(result->punkVal, static_cast<IUnknown*>(&object));
    EXPECT_EQ(object.references, 2);
    ASSERT_EQ(VariantChangeType(result.Put(), &unknown, 0, VT_DISPATCH), S_OK);
    EXPECT_EQ(result->pdispVal, &object);
    EXPECT_EQ(object.references, 2);
    object.answersDispatch = false;
    EXPECT_EQ(VariantChangeType(result.Put(), &unknown, 0, VT_DISPATCH), E_NOINTERFACE);
    EXPECT_EQ(VariantChangeType(result.Put(), &unknown, 0, VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(object.references, 1);
}

TEST(VariantClearAndCopy, OwnershipRules) {
    FakeObject object;
    UniqueVariant holder(MakeVariant(VT_UNKNOWN, static_cast<IUnknown*>(&object)));
    object.AddRef();  // the holder's reference
    UniqueVariant copy;
    ASSERT_EQ(VariantCopy(copy.Put(), &holder.get()), S_OK);
    EXPECT_EQ(object.references, 3);
    EXPECT_EQ(VariantClear(&copy.get()), S_OK);
    EXPECT_EQ(copy->vt, VT_EMPTY);
    EXPECT_EQ(object.references, 2);

    const VARIANT nullText = MakeVariant(VT_BSTR, BSTR{});
    ASSERT_EQ(VariantCopy(copy.Put(), &nullText), S_OK);
    ASSERT_NE(copy->bstrVal, nullptr);
    EXPECT_EQ(SysStringLen(copy->bstrVal), 0u);

    UniqueVariant text(Text(std::u16string_view(u"a\0b", 3)));
    ASSERT_EQ(VariantCopy(copy.Put(), &text.get()), S_OK);
    EXPECT_NE(copy->bstrVal, text->bstrVal);
    EXPECT_EQ(SysStringLen(copy->bstrVal), 3u);
    EXPECT_EQ(VariantCopy(&text.get(), &text.get()), S_OK);

    VARIANT invalid = Marker(15);
    EXPECT_EQ(VariantCopy(copy.Put(), &invalid), DISP_E_BADVARTYPE);
    EXPECT_EQ(copy->vt, VT_EMPTY);
    EXPECT_EQ(VariantClear(&invalid), DISP_E_BADVARTYPE);
    EXPECT_EQ(invalid.vt, 15);

    LONG number = 3;
    VARIANT reference = MakeVariant(VT_BYREF | VT_I4, &number);
    ASSERT_EQ(VariantCopy(copy.Put(), &reference), S_OK);
    EXPECT_EQ(copy->plVal, &number);
    EXPECT_EQ(VariantClear(&reference), S_OK);
    EXPECT_EQ(number, 3);
}

}  // namespace
