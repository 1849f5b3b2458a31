#include "platform/com/ComPtr.h"
#include "platform/com/ComError.h"
#include "platform/com/IDispatch.h"

#include "support/CountedObject.h"
#include "support/RecordingSink.h"

#include <gtest/gtest.h>

using vortan::com::ComPtr;
using vortan::test::CountedObject;
using vortan::test::RecordingSink;

TEST(ComPtr, CountsOneReferencePerHolder) {
    CountedObject object;
    {
        ComPtr<IUnknown> a(&object);
        EXPECT_EQ(object.RefCount(), 1u);
        ComPtr<IUnknown> b = a;
        EXPECT_EQ(object.RefCount(), 2u);
        ComPtr<IUnknown> c = std::move(b);
        EXPECT_EQ(object.RefCount(), 2u);
        EXPECT_FALSE(b);
        const ComPtr<IUnknown>& self = c;
        c = self; // self-assignment keeps the reference
        EXPECT_EQ(object.RefCount(), 2u);
        c = nullptr;
        EXPECT_EQ(object.RefCount(), 1u);
    }
    EXPECT_EQ(object.RefCount(), 0u);
}

TEST(ComPtr, AttachAndDetachMoveAReferenceWithoutCounting) {
    CountedObject object;
    object.AddRef(); // a reference handed over by a callee
    {
        ComPtr<IUnknown> p = ComPtr<IUnknown>::Attach(&object);
        EXPECT_EQ(object.RefCount(), 1u);
        IUnknown* raw = p.Detach();
        EXPECT_EQ(raw, &object);
        EXPECT_EQ(p.Get(), nullptr);
        EXPECT_EQ(object.RefCount(), 1u);
        raw->Release();
    }
    EXPECT_EQ(object.RefCount(), 0u);

    // An out-parameter slot releases what was held before the callee writes into it.
    CountedObject first;
    CountedObject second;
    ComPtr<IUnknown> p(&first);
    ASSERT_EQ(second.QueryInterface(IID_IUnknown, p.OutVoid()), S_OK);
    EXPECT_EQ(first.RefCount(), 0u);
    EXPECT_EQ(second.RefCount(), 1u);
    EXPECT_EQ(p.Get(), &second);
}

TEST(ComPtr, QueryInterfaceAddsAReferenceOnlyOnSuccess) {
    RecordingSink sink;
    ComPtr<IUnknown> unknown(&sink);
    ComPtr<IDispatch> dispatch;
    EXPECT_EQ(unknown.QueryInterface(IID_IDispatch, dispatch), S_OK);
    EXPECT_EQ(dispatch.Get(), static_cast<IDispatch*>(&sink));
    EXPECT_EQ(sink.RefCount(), 2u);

    ComPtr<IUnknown> other(&sink);
    EXPECT_EQ(unknown.QueryInterface(IID_IConnectionPoint, other), E_NOINTERFACE);
    EXPECT_EQ(other.Get(), nullptr);
    EXPECT_EQ(sink.RefCount(), 2u);

    ComPtr<IUnknown> empty;
    EXPECT_EQ(empty.QueryInterface(IID_IUnknown, other), E_POINTER);
}

TEST(ComPtr, CheckedRaisesPointerErrorWhenNull) {
    CountedObject object;
    ComPtr<IUnknown> p(&object);
    EXPECT_EQ(p.Checked(IID_IDispatch), &object);
    p.Reset();
    try {
        p.Checked(IID_IDispatch)->AddRef();
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_POINTER);
        EXPECT_EQ(e.InterfaceId(), IID_IDispatch);
    }
}

TEST(ComError, CarriesTheResultAndTheInterface) {
    try {
        vortan::com::ThrowIfFailed(E_NOINTERFACE, IID_IDispatch);
        FAIL() << "no exception";
    } catch (const _com_error& e) {
        EXPECT_EQ(e.Error(), E_NOINTERFACE);
        EXPECT_EQ(e.InterfaceId(), IID_IDispatch);
        EXPECT_STREQ(e.what(), "COM error 0x80004002");
    }
    EXPECT_EQ(vortan::com::ThrowIfFailed(S_FALSE), S_FALSE);
}
