#include "vortan/com/ConnectionPoint.h"

#include <gtest/gtest.h>

#include "support/CountedObject.h"
#include "support/RecordingSink.h"
#include "vortan/com/BroadcastGroup.h"
#include "vortan/com/ComPtr.h"
#include "vortan/com/UniqueVariant.h"

using vortan::com::BroadcastGroup;
using vortan::com::ComPtr;
using vortan::com::ConnectionPoint;
using vortan::com::UniqueVariant;
using vortan::test::RecordingSink;

namespace {

constexpr IID kEvents{0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};

// A component with one event interface, deleted when its count drops to 0.
class EventSource final : public IConnectionPointContainer {
public:
    explicit EventSource(BroadcastGroup* group = nullptr) : m_point(*this, kEvents, group) {}

    static ComPtr<EventSource> Create(BroadcastGroup* group = nullptr) {
        return ComPtr<EventSource>::Attach(new EventSource(group));
    }

    HRESULT QueryInterface(REFIID iid, void** object) override {
        const bool offered = iid == IID_IUnknown || iid == IID_IConnectionPointContainer;
        *object = offered ? static_cast<IConnectionPointContainer*>(this) : nullptr;
        return offered ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!(iid == kEvents)) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        return m_point.QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(point));
    }

    ConnectionPoint& Point() { return m_point; }
    ULONG RefCount() const { return m_refs; }

private:
    ULONG m_refs = 1;
    ConnectionPoint m_point;
};

ComPtr<IConnectionPoint> Find(EventSource& source) {
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(source.FindConnectionPoint(kEvents, point.ReleaseAndGetAddressOf()), S_OK);
    return point;
}

} // namespace

TEST(ConnectionPoint, AdviseHoldsTheSinkAndUnadviseGivesItBack) {
    RecordingSink a(kEvents);
    RecordingSink b;
    {
        ComPtr<EventSource> source = EventSource::Create();
        ComPtr<IConnectionPoint> point = Find(*source);
        EXPECT_EQ(source->RefCount(), 2u); // the connection point counts on its container

        IID iid;
        EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
        EXPECT_EQ(iid, kEvents);
        ComPtr<IConnectionPointContainer> back;
        EXPECT_EQ(point->GetConnectionPointContainer(back.ReleaseAndGetAddressOf()), S_OK);
        EXPECT_EQ(back.Get(), source.Get());
        back.Reset();

        DWORD cookieA = 0;
        DWORD cookieB = 0;
        ASSERT_EQ(point->Advise(&a, &cookieA), S_OK);
        ASSERT_EQ(point->Advise(&b, &cookieB), S_OK);
        EXPECT_EQ(cookieA, 1u);
        EXPECT_EQ(cookieB, 2u);
        EXPECT_EQ(a.RefCount(), 1u);
        EXPECT_EQ(b.RefCount(), 1u);

        EXPECT_EQ(point->Unadvise(cookieA), S_OK);
        EXPECT_EQ(a.RefCount(), 0u);
        EXPECT_EQ(point->Unadvise(cookieA), CONNECT_E_NOCONNECTION);
        EXPECT_EQ(point->Unadvise(99), CONNECT_E_NOCONNECTION);

        DWORD cookie = 7;
        EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
        EXPECT_EQ(cookie, 0u);
        vortan::test::CountedObject notASink; // offers neither the events nor IDispatch
        EXPECT_EQ(point->Advise(&notASink, &cookie), CONNECT_E_CANNOTCONNECT);
        EXPECT_EQ(notASink.RefCount(), 0u);
    }
    // Destroying the component releases the sinks still advised.
    EXPECT_EQ(b.RefCount(), 0u);
}

TEST(ConnectionPoint, FireInvokesEverySinkWithArgumentsInReverse) {
    RecordingSink a;
    RecordingSink b;
    ComPtr<EventSource> source = EventSource::Create();
    DWORD cookie = 0;
    ASSERT_EQ(source->Point().Advise(&a, &cookie), S_OK);
    ASSERT_EQ(source->Point().Advise(&b, &cookie), S_OK);

    const UniqueVariant done = UniqueVariant::FromI4(50);
    const UniqueVariant total = UniqueVariant::FromI4(200);
    const UniqueVariant value = UniqueVariant::FromUtf8("seven");
    const VARIANT args[] = {done.Get(), total.Get(), value.Get()};
    EXPECT_EQ(source->Point().Fire(3, args), S_OK);
    EXPECT_EQ(source->Point().Fire(4), S_OK);

    for (RecordingSink* sink : {&a, &b}) {
        ASSERT_EQ(sink->calls.size(), 2u);
        EXPECT_EQ(sink->calls[0].dispid, 3);
        ASSERT_EQ(sink->calls[0].args.size(), 3u);
        EXPECT_EQ(sink->calls[0].args[0].Type(), VT_BSTR); // rgvarg[0] is the last argument
        EXPECT_EQ(sink->calls[0].args[1].Get().lVal, 200);
        EXPECT_EQ(sink->calls[0].args[2].Get().lVal, 50);
        EXPECT_EQ(sink->calls[1].dispid, 4);
        EXPECT_TRUE(sink->calls[1].args.empty());
    }
    // Each sink got its own copy of the text.
    EXPECT_NE(a.calls[0].args[0].Get().bstrVal, value.Get().bstrVal);

    // An argument no VARIANT here can carry stops the event before any sink sees it.
    VARIANT bad[1]{};
    bad[0].vt = 0x77;
    EXPECT_EQ(source->Point().Fire(9, bad), DISP_E_BADVARTYPE);
    EXPECT_EQ(a.calls.size(), 2u);
}

TEST(ConnectionPoint, SinksMayUnadviseThemselvesAndOthersWhileBeingCalled) {
    RecordingSink first;
    RecordingSink second;
    RecordingSink third;
    RecordingSink late;
    ComPtr<EventSource> source = EventSource::Create();
    ConnectionPoint& point = source->Point();
    DWORD c1 = 0, c2 = 0, c3 = 0;
    ASSERT_EQ(point.Advise(&first, &c1), S_OK);
    ASSERT_EQ(point.Advise(&second, &c2), S_OK);
    ASSERT_EQ(point.Advise(&third, &c3), S_OK);

    // The first sink leaves and takes the third with it; the second still hears the event.
    first.onInvoke = [&](DISPID) {
        EXPECT_EQ(point.Unadvise(c1), S_OK);
        EXPECT_EQ(point.Unadvise(c3), S_OK);
        EXPECT_EQ(first.RefCount(), 1u) << "held for the duration of its own call";
    };
    EXPECT_EQ(point.Fire(5), S_OK);
    EXPECT_EQ(first.calls.size(), 1u);
    EXPECT_EQ(second.calls.size(), 1u);
    EXPECT_EQ(third.calls.size(), 0u);
    EXPECT_EQ(first.RefCount(), 0u);
    EXPECT_EQ(third.RefCount(), 0u);
    EXPECT_EQ(point.SinkCount(), 1u);

    // A sink advised during a call hears only later events.
    DWORD c4 = 0;
    second.onInvoke = [&](DISPID) {
        if (c4 == 0)
            point.Advise(&late, &c4);
    };
    point.Fire(6);
    EXPECT_EQ(late.calls.size(), 0u);
    point.Fire(7);
    EXPECT_EQ(late.calls.size(), 1u);
}

// A broadcast reaching the sinks of every instance, and an instance released by a sink while
// it fires, are shown by the simulated board's tests and the server's.
TEST(BroadcastGroup, SkipsMembersDestroyedAndAddedDuringABroadcast) {
    BroadcastGroup group;
    RecordingSink onObserver;
    RecordingSink onWorker;
    RecordingSink onLate;
    {
        ComPtr<EventSource> observer = EventSource::Create(&group);
        ComPtr<EventSource> worker = EventSource::Create(&group);
        ComPtr<EventSource> late;
        DWORD cookie = 0;
        ASSERT_EQ(observer->Point().Advise(&onObserver, &cookie), S_OK);
        ASSERT_EQ(worker->Point().Advise(&onWorker, &cookie), S_OK);
        onObserver.onInvoke = [&](DISPID) {
            worker.Reset();
            late = EventSource::Create(&group);
            late->Point().Advise(&onLate, &cookie);
        };
        EXPECT_EQ(group.Fire(2), S_OK);
        EXPECT_EQ(onObserver.calls.size(), 1u);
        EXPECT_EQ(onWorker.calls.size(), 0u);
        EXPECT_EQ(onLate.calls.size(), 0u);
        EXPECT_EQ(group.MemberCount(), 2u);
        onObserver.onInvoke = nullptr;
    }
    EXPECT_EQ(group.MemberCount(), 0u);
    EXPECT_EQ(group.Fire(1), S_OK);
}

TEST(BroadcastGroup, MembersOutlivingTheGroupForgetIt) {
    ComPtr<EventSource> survivor;
    {
        BroadcastGroup group;
        survivor = EventSource::Create(&group);
    }
    survivor.Reset(); // must not touch the destroyed group (ASan checks)
}
