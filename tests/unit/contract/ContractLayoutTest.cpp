#include "vortan/ComponentContract.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using vortan::IController;
using vortan::IFlashHandling;

namespace {

// The method-table index of a virtual member function. Under the Itanium C++ ABI (every
// Linux target we build for) a pointer to a virtual member holds 1 + its byte offset in the
// table; the adjustment word is 0 for a single-inheritance interface.
template <typename F>
std::ptrdiff_t Slot(F member) {
    static_assert(sizeof(F) == 2 * sizeof(std::uintptr_t));
    struct {
        std::uintptr_t ptr;
        std::ptrdiff_t adj;
    } rep;
    std::memcpy(&rep, &member, sizeof rep);
    if ((rep.ptr & 1) == 0 || rep.adj != 0)
        return -1; // not a virtual member of the primary table
    return static_cast<std::ptrdiff_t>((rep.ptr - 1) / sizeof(void*));
}

} // namespace

TEST(ComponentContract, IControllerMethodsSitAtTheirSlots) {
    struct Case {
        const char* name;
        std::ptrdiff_t slot;
        std::ptrdiff_t expected;
    };
    const Case cases[] = {
        {"QueryInterface", Slot(&IController::QueryInterface), 0},
        {"Release", Slot(&IController::Release), 2},
        {"GetTypeInfoCount", Slot(&IController::GetTypeInfoCount), 3},
        {"Invoke", Slot(&IController::Invoke), 6},
        {"Connect", Slot(&IController::Connect), 7},
        {"GetConnectionName", Slot(&IController::GetConnectionName), 8},
        {"Disconnect", Slot(&IController::Disconnect), 9},
        {"Reserved10", Slot(&IController::Reserved10), 10},
        {"Reserved27", Slot(&IController::Reserved27), 27},
        {"GetErrorInfo", Slot(&IController::GetErrorInfo), 28},
        {"Reserved31", Slot(&IController::Reserved31), 31},
        {"UpdateInfo", Slot(&IController::UpdateInfo), 32},
        {"IsConnected", Slot(&IController::IsConnected), 33},
        {"Reserved41", Slot(&IController::Reserved41), 41},
        {"HasFileDirectory", Slot(&IController::HasFileDirectory), 42},
        {"Reserved52", Slot(&IController::Reserved52), 52},
        {"GetMemoryInfo", Slot(&IController::GetMemoryInfo), 53},
        {"GetFileEntry", Slot(&IController::GetFileEntry), 54},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.slot, c.expected) << c.name;
}

TEST(ComponentContract, IFlashHandlingMethodsSitAtTheirSlots) {
    EXPECT_EQ(Slot(&IFlashHandling::Invoke), 6);
    EXPECT_EQ(Slot(&IFlashHandling::Reserved7), 7);
    EXPECT_EQ(Slot(&IFlashHandling::Reserved11), 11);
    EXPECT_EQ(Slot(&IFlashHandling::FormatMemory), 12);
    EXPECT_EQ(Slot(&IFlashHandling::ReadFromMemory), 13);
    EXPECT_EQ(Slot(&IFlashHandling::WriteToMemory), 14);
    EXPECT_EQ(Slot(&IFlashHandling::RemoveFromMemory), 15);
}

TEST(ComponentContract, PlatformInterfacesKeepTheirSlots) {
    EXPECT_EQ(Slot(&IConnectionPointContainer::FindConnectionPoint), 4);
    EXPECT_EQ(Slot(&IConnectionPoint::Advise), 5);
    EXPECT_EQ(Slot(&IConnectionPoint::Unadvise), 6);
    EXPECT_EQ(Slot(&IClassFactory::CreateInstance), 3);
    EXPECT_EQ(Slot(&IClassFactory::LockServer), 4);
}

TEST(ComponentContract, RecordsHaveTheirByteLayout) {
    // The file count is read from bytes 12-13 of a zeroed record.
    vortan::MemoryInfo info;
    info.nFileCount = 0x1234;
    unsigned char bytes[sizeof info];
    std::memcpy(bytes, &info, sizeof info);
    EXPECT_EQ(sizeof bytes, 20u);
    EXPECT_EQ(bytes[12] | (bytes[13] << 8), 0x1234);
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        if (i != 12 && i != 13) {
            EXPECT_EQ(bytes[i], 0) << "byte " << i;
        }
    }

    vortan::ControllerErrorInfo error;
    error.lCode = -2;
    error.nValue3 = 7;
    unsigned char errorBytes[sizeof error];
    std::memcpy(errorBytes, &error, sizeof error);
    EXPECT_EQ(sizeof errorBytes, 12u);
    EXPECT_EQ(errorBytes[0], 0xFE);
    EXPECT_EQ(errorBytes[8], 7);
}
