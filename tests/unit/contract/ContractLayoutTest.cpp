#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

#include "vortan/ComponentContract.h"

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

// A plug-in built elsewhere calls through these slots; the record layouts are pinned by
// static_asserts in the contract header itself.
TEST(ComponentContract, MethodsSitAtTheirSlots) {
    struct Case {
        const char* name;
        std::ptrdiff_t slot;
        std::ptrdiff_t expected;
    };
    const Case cases[] = {
        {"QueryInterface", Slot(&IController::QueryInterface), 0},
        {"Release", Slot(&IController::Release), 2},
        {"Invoke", Slot(&IController::Invoke), 6},
        {"Connect", Slot(&IController::Connect), 7},
        {"GetConnectionName", Slot(&IController::GetConnectionName), 8},
        {"Disconnect", Slot(&IController::Disconnect), 9},
        {"GetErrorInfo", Slot(&IController::GetErrorInfo), 28},
        {"UpdateInfo", Slot(&IController::UpdateInfo), 32},
        {"IsConnected", Slot(&IController::IsConnected), 33},
        {"HasFileDirectory", Slot(&IController::HasFileDirectory), 42},
        {"GetMemoryInfo", Slot(&IController::GetMemoryInfo), 53},
        {"GetFileEntry", Slot(&IController::GetFileEntry), 54},
        {"FormatMemory", Slot(&IFlashHandling::FormatMemory), 12},
        {"ReadFromMemory", Slot(&IFlashHandling::ReadFromMemory), 13},
        {"WriteToMemory", Slot(&IFlashHandling::WriteToMemory), 14},
        {"RemoveFromMemory", Slot(&IFlashHandling::RemoveFromMemory), 15},
        {"FindConnectionPoint", Slot(&IConnectionPointContainer::FindConnectionPoint), 4},
        {"Advise", Slot(&IConnectionPoint::Advise), 5},
        {"Unadvise", Slot(&IConnectionPoint::Unadvise), 6},
        {"CreateInstance", Slot(&IClassFactory::CreateInstance), 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.slot, c.expected) << c.name;
}
