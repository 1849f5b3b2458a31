#include "app/com/ComClassFactory.h"

#include <gtest/gtest.h>

namespace {

using vortan::app::ComClassFactory;

TEST(ComClassFactory, MakesOneObjectForOneClient) {
    int made = 0;
    HRESULT answer = E_NOINTERFACE;
    int locks = 0;
    ComClassFactory factory({.create =
                                 [&](REFIID, void** object) {
                                     ++made;
                                     *object = answer == S_OK ? &made : nullptr;
                                     return answer;
                                 },
                             .lock = [&](bool lock) { locks += lock ? 1 : -1; }});
    void* object = &made;
    const auto create = [&](IUnknown* outer) {
        return factory.CreateInstance(outer, IID_IDispatch, &object);
    };
    // Aggregation is refused before anything is made; a refused interface leaves the class
    // object serving.
    EXPECT_EQ(create(static_cast<IClassFactory*>(&factory)), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(create(nullptr), E_NOINTERFACE);
    EXPECT_FALSE(factory.Served());
    answer = S_OK;
    EXPECT_EQ(create(nullptr), S_OK);
    EXPECT_EQ(object, &made);
    EXPECT_TRUE(factory.Served());
    // A second client that slipped in is sent to a server of its own.
    EXPECT_EQ(create(nullptr), CO_E_SERVER_STOPPING);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(made, 2);

    EXPECT_EQ(factory.LockServer(TRUE), S_OK);
    EXPECT_EQ(locks, 1);
    EXPECT_EQ(factory.LockServer(FALSE), S_OK);
    EXPECT_EQ(locks, 0);
}

} // namespace
