// The answer file of an unattended run: every kind of answer drawn until none is left.
#include <algorithm>
#include <string_view>

#include "FuzzInput.h"
#include "platform/ui/AnswerScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vortan::ui::AnswerScript script = vortan::ui::AnswerScript::Parse(text);
    std::size_t left = script.Remaining();
    vortan::fuzz::Check(left <=
                        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);

    // The kinds the product asks for; each answer drawn counts down by one.
    const auto draw = [&](std::string_view kind, std::string_view key = {}) {
        while (const auto answer = script.Next(kind, key)) {
            vortan::fuzz::Check(script.Remaining() == --left);
            vortan::ui::ParseButtonId(*answer);
        }
    };
    draw("messagebox");
    for (const char* id : {"100", "102", "131", "132", "133"})
        draw("dialog", id);
    draw("filedialog");
    draw("folder");
    script.NextMessageBox();
    script.NextDialog(133);
    return 0;
}
