#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vortan::ui {

// The answers of an unattended run, read from the answer file. One answer per line:
//
//     messagebox <button>
//     dialog <template id> <button>
//     <other kind> <value>          (kept for the file dialog and the folder browser)
//
// `#` starts a comment line; blank lines are skipped. Answers of one kind (for dialogs: of one
// template) are consumed in file order; kinds do not disturb each other's order.
class AnswerScript final {
public:
    AnswerScript() = default; // no answers: every question gets its default
    static AnswerScript Parse(std::string_view text);
    // A missing or unreadable file gives no answers.
    static AnswerScript Load(const std::string& path);

    // The next answer of `kind` (for dialogs `key` is the template id), consumed; the value is
    // the rest of the line with surrounding blanks removed.
    std::optional<std::string> Next(std::string_view kind, std::string_view key = {});
    // Button ids; a value that names no button is consumed and gives nullopt.
    std::optional<int> NextMessageBox();
    std::optional<int> NextDialog(int templateId);

    std::size_t Remaining() const;

private:
    static std::string QueueName(std::string_view kind, std::string_view key);

    std::map<std::string, std::deque<std::string>, std::less<>> m_queues;
};

// A button by number ("1014") or name ("ok", "cancel", "abort", "retry", "ignore", "yes",
// "no", any case).
std::optional<int> ParseButtonId(std::string_view value);

} // namespace vortan::ui
