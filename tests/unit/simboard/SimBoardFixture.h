#pragma once

// A temporary world for the simulated board: a class registry naming the built plug-in, a
// boards directory, and helpers that create and drive the components as the program does.

#include <string>
#include <string_view>

#include "platform/com/ComPtr.h"
#include "support/RecordingSink.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "vortan/ComponentContract.h"

#include <gtest/gtest.h>

namespace vortan::test {

// Keeps a sink advised on a component until the end of the scope.
class Advised final {
public:
    Advised(IUnknown* component, REFIID eventIid, RecordingSink& sink);
    ~Advised();
    Advised(const Advised&) = delete;
    Advised& operator=(const Advised&) = delete;

private:
    com::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

class SimBoardFixture : public ::testing::Test {
protected:
    SimBoardFixture();

    // Makes <boards>/<name>/ with flash/ and a board.ini of `ini` (the [board] lines).
    std::string MakeBoard(std::string_view name, std::string_view ini = "") const;
    std::string FlashPath(std::string_view board, std::string_view file) const;

    static com::ComPtr<IController> CreateController();
    static com::ComPtr<IFlashHandling> CreateFlash();
    // Runs the posted messages now waiting in the queue.
    static void Pump();
    // Connect, then the loop until the answer; the DISPID of the answer (0: none came).
    static DISPID Connect(IController* controller, std::string_view name);
    static LONG ErrorCode(IController* controller);

    TempDir m_dir;
    ScopedEnv m_classes{"VORTAN_CLASSES", m_dir / "classes.ini"};
    ScopedEnv m_boards{"VORTAN_BOARDS", m_dir / "boards"};
};

// The DISPIDs a sink recorded, in order.
std::vector<DISPID> Dispids(const RecordingSink& sink);
// The whole content of a file; empty if it cannot be read.
std::string ReadAll(const std::string& path);
// Test data of `size` bytes that differs at every position within a cycle of 251.
std::string Pattern(std::size_t size, char seed = 0);
// Names of the entries of a directory, sorted.
std::vector<std::string> Entries(const std::string& dir);

} // namespace vortan::test
