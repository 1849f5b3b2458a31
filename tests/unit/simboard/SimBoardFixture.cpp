#include "SimBoardFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/com/Activation.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/UniqueBstr.h"
#include "platform/win/WinUser.h"

namespace vortan::test {

Advised::Advised(IUnknown* component, REFIID eventIid, RecordingSink& sink) {
    com::ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(component->QueryInterface(IID_IConnectionPointContainer, container.OutVoid()), S_OK);
    if (!container)
        return;
    EXPECT_EQ(container->FindConnectionPoint(eventIid, m_point.ReleaseAndGetAddressOf()), S_OK);
    if (m_point) {
        EXPECT_EQ(m_point->Advise(&sink, &m_cookie), S_OK);
    }
}

Advised::~Advised() {
    if (m_point && m_cookie != 0)
        m_point->Unadvise(m_cookie);
}

SimBoardFixture::SimBoardFixture() {
    EXPECT_EQ(com::ClassRegistry(m_dir / "classes.ini")
                  .RegisterClassPath(CLSID_ControllerAccess, VORTAN_SIMBOARD_PLUGIN),
              S_OK);
    EXPECT_EQ(com::ClassRegistry(m_dir / "classes.ini")
                  .RegisterClassPath(CLSID_FlashHandling, VORTAN_SIMBOARD_PLUGIN),
              S_OK);
    Pump(); // nothing of an earlier test may linger in the queue
}

std::string SimBoardFixture::MakeBoard(std::string_view name, std::string_view ini) const {
    const std::filesystem::path dir = std::filesystem::path(m_dir / "boards") / std::string(name);
    std::filesystem::create_directories(dir / "flash");
    std::ofstream(dir / "board.ini") << "[board]\n" << ini << "\n";
    return dir.string();
}

std::string SimBoardFixture::FlashPath(std::string_view board, std::string_view file) const {
    return m_dir / "boards" + "/" + std::string(board) + "/flash/" + std::string(file);
}

namespace {

// The program's creation: IUnknown, OleRun, QueryInterface.
template <typename T>
com::ComPtr<T> Create(REFCLSID clsid, REFIID iid) {
    com::ComPtr<IUnknown> unknown;
    com::ComPtr<T> result;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.OutVoid()), S_OK);
    if (unknown) {
        EXPECT_EQ(OleRun(unknown.Get()), S_OK);
        EXPECT_EQ(unknown.QueryInterface(iid, result), S_OK);
    }
    return result;
}

} // namespace

com::ComPtr<IController> SimBoardFixture::CreateController() {
    return Create<IController>(CLSID_ControllerAccess, IID_IController);
}

com::ComPtr<IFlashHandling> SimBoardFixture::CreateFlash() {
    return Create<IFlashHandling>(CLSID_FlashHandling, IID_IFlashHandling);
}

void SimBoardFixture::Pump() {
    MSG msg{};
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

DISPID SimBoardFixture::Connect(IController* controller, std::string_view name) {
    RecordingSink sink(DIID_IControllerEvents);
    const Advised advised(controller, DIID_IControllerEvents, sink);
    const com::UniqueBstr bstrName = com::UniqueBstr::FromUtf8(name);
    EXPECT_EQ(controller->Connect(bstrName.Get(), nullptr), S_OK);
    Pump();
    return sink.calls.size() == 1 ? sink.calls[0].dispid : 0;
}

LONG SimBoardFixture::ErrorCode(IController* controller) {
    ControllerErrorInfo info;
    EXPECT_EQ(controller->GetErrorInfo(&info), S_OK);
    return info.lCode;
}

std::vector<DISPID> Dispids(const RecordingSink& sink) {
    std::vector<DISPID> dispids;
    for (const auto& call : sink.calls)
        dispids.push_back(call.dispid);
    return dispids;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Pattern(std::size_t size, char seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i % 251) + static_cast<unsigned char>(seed));
    return bytes;
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vortan::test
