#include "vortan/com/ComPtr.h"

#include <gtest/gtest.h>

#include "support/CountedObject.h"
#include "support/RecordingSink.h"
#include "vortan/com/ComError.h"
#include "vortan/com/IDispatch.h"

using vortan::com::ComPtr;
using vortan::test::CountedObject;
using vortan::test::RecordingSink;

// Copies, moves, attaching and out-parameters are used by every component test, whose leaks
// and double releases the sanitizers report.
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
