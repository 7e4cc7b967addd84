#include <gtest/gtest.h>

#include <array>

#include "com/holders.h"
#include "com_fake_object.h"

namespace {

using nox::UniqueBstr;
using nox::UniqueSafeArray;
using nox::UniqueVariant;
using nox::testing::FakeObject;
using nox::testing::MakeVariant;

TEST(SafeArray, VectorsDescribeTheirElements) {
    const struct {
        VARTYPE vt;
        ULONG size;
        USHORT features;
    } cases[] = {
        {VT_I2, 2, 0},
        {VT_BOOL, 2, 0},
        {VT_I4, 4, 0},
        {VT_R4, 4, 0},
        {VT_ERROR, 4, 0},
        {VT_R8, 8, 0},
        {VT_BSTR, 8, FADF_BSTR},
        {VT_UNKNOWN, 8, FADF_UNKNOWN},
        {VT_DISPATCH, 8, FADF_DISPATCH},
        {VT_VARIANT, 24, FADF_VARIANT},
    };
    for (const auto& c : cases) {
        UniqueSafeArray array(SafeArrayCreateVector(c.vt, 1, 3));
        ASSERT_TRUE(array) << c.vt;
        EXPECT_EQ(array.get()->cDims, 1);
        EXPECT_EQ(array.get()->cbElements, c.size) << c.vt;
        EXPECT_EQ(array.get()->fFeatures, FADF_HAVEVARTYPE | c.features) << c.vt;
        VARTYPE vt = 0;
        EXPECT_EQ(SafeArrayGetVartype(array.get(), &vt), S_OK);
        EXPECT_EQ(vt, c.vt);
        const auto* data = static_cast<const unsigned char*>(array.get()->pvData);
        for (ULONG i = 0; i < 3 * c.size; ++i) ASSERT_EQ(data[i], 0) << c.vt;
    }
    for (VARTYPE unsupported : {VARTYPE(VT_EMPTY), VARTYPE(VT_NULL), VARTYPE(15), VARTYPE(VT_RECORD)})
        EXPECT_EQ(SafeArrayCreateVector(unsupported, 0, 1), nullptr) << unsupported;
}

TEST(SafeArray, Bounds) {
    UniqueSafeArray array(SafeArrayCreateVector(VT_I4, -3, 4));
    UniqueSafeArray empty(SafeArrayCreateVector(VT_I4, 5, 0));
    ASSERT_TRUE(array && empty);
    LONG lower = 0, upper = 0, emptyUpper = 0;
    EXPECT_EQ(SafeArrayGetLBound(array.get(), 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(array.get(), 1, &upper), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(empty.get(), 1, &emptyUpper), S_OK);
    EXPECT_EQ((std::array{lower, upper, emptyUpper}), (std::array<LONG, 3>{-3, 0, 4}));
    EXPECT_EQ(SafeArrayGetLBound(array.get(), 0, &lower), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(array.get(), 2, &upper), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, &lower), E_INVALIDARG);
    LONG value = 9;
    for (LONG outside : {-4, 1}) {
        EXPECT_EQ(SafeArrayPutElement(array.get(), &outside, &value), DISP_E_BADINDEX);
        EXPECT_EQ(SafeArrayGetElement(array.get(), &outside, &value), DISP_E_BADINDEX);
    }
}

TEST(SafeArray, LocksGuardDestruction) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(data, array->pvData);
    static_cast<LONG*>(data)[1] = 17;
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    UniqueVariant holder(MakeVariant(VT_ARRAY | VT_I4, array));
    EXPECT_EQ(VariantClear(&holder.get()), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(holder->parray, array);  // still owned, so it can be freed once unlocked

    ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
    LONG index = 1, value = 0;
    EXPECT_EQ(SafeArrayGetElement(array, &index, &value), S_OK);
    EXPECT_EQ(value, 17);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

TEST(SafeArray, ElementsAreCopiedInAndOut) {
    FakeObject object;
    UniqueSafeArray texts(SafeArrayCreateVector(VT_BSTR, 0, 1));
    UniqueSafeArray objects(SafeArrayCreateVector(VT_UNKNOWN, 0, 1));
    LONG index = 0;
    UniqueBstr text(SysAllocString(u"abc")), out;
    ASSERT_EQ(SafeArrayPutElement(texts.get(), &index, text.get()), S_OK);
    ASSERT_EQ(SafeArrayGetElement(texts.get(), &index, out.Put()), S_OK);
    EXPECT_EQ(std::u16string(out.get()), u"abc");
    EXPECT_NE(static_cast<BSTR*>(texts.get()->pvData)[0], text.get());
    EXPECT_NE(out.get(), static_cast<BSTR*>(texts.get()->pvData)[0]);

    ASSERT_EQ(SafeArrayPutElement(objects.get(), &index, static_cast<IUnknown*>(&object)), S_OK);
    IUnknown* got = nullptr;
    ASSERT_EQ(SafeArrayGetElement(objects.get(), &index, &got), S_OK);
    EXPECT_EQ(object.references, 3);
    got->Release();

    // A deep copy through a VARIANT owns its own elements; arrays convert to nothing else.
    UniqueVariant original(MakeVariant(VT_ARRAY | VT_UNKNOWN, objects.release())), copy;
    ASSERT_EQ(VariantCopy(copy.Put(), &original.get()), S_OK);
    EXPECT_NE(copy->parray, original->parray);
    EXPECT_EQ(object.references, 3);
    EXPECT_EQ(VariantChangeType(copy.Put(), &original.get(), 0, VT_ARRAY | VT_I4), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(VariantChangeType(copy.Put(), &original.get(), 0, VT_UNKNOWN), DISP_E_TYPEMISMATCH);
    original.reset();
    EXPECT_EQ(object.references, 1);  // destroying the arrays released their elements
}

}  // namespace
