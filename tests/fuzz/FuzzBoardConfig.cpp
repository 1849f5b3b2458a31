// A simulated board's board.ini, which anyone may edit: what loads must save and load again
// unchanged.
#include "FuzzInput.h"
#include "components/simboard/BoardConfig.h"

#include <string_view>

using vortan::simboard::BoardConfig;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const vortan::fuzz::InputFile file("board.ini");
    const std::string& path = file.Write({reinterpret_cast<const char*>(data), size});
    BoardConfig loaded;
    if (BoardConfig::Load(path, loaded))
        return 0;
    vortan::fuzz::Check(!loaded.Save(path));
    BoardConfig again;
    vortan::fuzz::Check(!BoardConfig::Load(path, again));
    vortan::fuzz::Check(again.capacity == loaded.capacity && again.maxFiles == loaded.maxFiles &&
                        again.speed == loaded.speed && again.failItem == loaded.failItem &&
                        again.failAfterBytes == loaded.failAfterBytes &&
                        again.readOnly == loaded.readOnly && again.silent == loaded.silent);
    return 0;
}
