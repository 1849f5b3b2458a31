#include "platform/com/Activation.h"

#include <gtest/gtest.h>

#include "support/CountedObject.h"
#include "support/FakeClassFactory.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/com/ComPtr.h"

using vortan::com::ComPtr;
using vortan::test::CountedObject;
using vortan::test::FakeClassFactory;
using vortan::test::ScopedEnv;
using vortan::test::TempDir;

namespace {

constexpr CLSID kClass{0xABCDEF01, 0x1234, 0x5678, {9, 8, 7, 6, 5, 4, 3, 2}};

// Every test sees its own empty class registry file.
class Activation : public ::testing::Test {
protected:
    TempDir m_dir;
    ScopedEnv m_env{"VORTAN_CLASSES", m_dir / "classes.ini"};
};

} // namespace

TEST_F(Activation, UnregisteredClassIsReportedAsSuch) {
    IUnknown* object = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

// Registering in this process, creating and revoking are shown by every test that creates a
// fake component (support/ClassRegistration); the program registers nothing itself.
TEST_F(Activation, RefusesAggregationAndBadArguments) {
    CountedObject product;
    FakeClassFactory factory(&product);
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kClass, &factory, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &cookie),
              S_OK);
    CountedObject outer;
    ComPtr<IUnknown> object;
    EXPECT_EQ(CoCreateInstance(kClass, &outer, CLSCTX_ALL, IID_IUnknown, object.OutVoid()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory.created, 0);
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, 0, IID_IUnknown, object.OutVoid()), E_INVALIDARG);
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(CoCreateInstance(kClass, nullptr, CLSCTX_ALL, IID_IDispatch, object.OutVoid()),
              E_NOINTERFACE);
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);

    DWORD unused = 0;
    EXPECT_EQ(CoRegisterClassObject(kClass, nullptr, CLSCTX_ALL, REGCLS_MULTIPLEUSE, &unused),
              E_INVALIDARG);
    EXPECT_EQ(OleRun(&product), S_OK);
    EXPECT_EQ(OleRun(nullptr), E_INVALIDARG);
}
