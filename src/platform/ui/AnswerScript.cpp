#include "platform/ui/AnswerScript.h"

#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/text/Ascii.h"
#include "platform/text/IniLine.h"

namespace vortan::ui {
namespace {

using text::TrimBlanks;

// Splits off the first word; `rest` keeps what follows, trimmed.
std::string_view FirstWord(std::string_view text, std::string_view& rest) {
    text = TrimBlanks(text);
    const std::size_t end = text.find_first_of(" \t");
    const std::string_view word = text.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : TrimBlanks(text.substr(end));
    return word;
}

} // namespace

std::optional<int> ParseButtonId(std::string_view value) {
    static constexpr std::array<std::pair<std::string_view, int>, 7> kNames{{
        {"ok", 1},
        {"cancel", 2},
        {"abort", 3},
        {"retry", 4},
        {"ignore", 5},
        {"yes", 6},
        {"no", 7},
    }};
    value = TrimBlanks(value);
    int number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error == std::errc{} && end == value.data() + value.size() && !value.empty())
        return number > 0 && number <= 0xFFFF ? std::optional<int>(number) : std::nullopt;
    const std::string lower = text::AsciiLowered(value);
    for (const auto& [name, id] : kNames) {
        if (lower == name)
            return id;
    }
    return std::nullopt;
}

std::string AnswerScript::QueueName(std::string_view kind, std::string_view key) {
    std::string name = text::AsciiLowered(kind);
    if (!key.empty()) {
        name += ' ';
        name += key;
    }
    return name;
}

AnswerScript AnswerScript::Parse(std::string_view text) {
    AnswerScript script;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        std::string_view rest;
        const std::string_view kind = FirstWord(line, rest);
        if (kind.empty() || kind.front() == '#')
            continue;
        std::string_view key;
        if (text::AsciiLowered(kind) == "dialog") {
            key = FirstWord(rest, rest);
            // A template id is a plain number; "0133" and "133" are the same dialog.
            int id = 0;
            const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), id);
            if (error != std::errc{} || end != key.data() + key.size())
                continue;
            script.m_queues[QueueName(kind, std::to_string(id))].emplace_back(rest);
            continue;
        }
        script.m_queues[QueueName(kind, key)].emplace_back(rest);
    }
    return script;
}

AnswerScript AnswerScript::Load(const std::string& path) {
    // The path is UTF-8, which a narrow name on Windows is not.
    std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())),
                       std::ios::binary);
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return Parse(text.str());
}

std::optional<std::string> AnswerScript::Next(std::string_view kind, std::string_view key) {
    const auto it = m_queues.find(QueueName(kind, key));
    if (it == m_queues.end() || it->second.empty())
        return std::nullopt;
    std::string value = std::move(it->second.front());
    it->second.pop_front();
    return value;
}

std::optional<int> AnswerScript::NextMessageBox() {
    const auto value = Next("messagebox");
    return value ? ParseButtonId(*value) : std::nullopt;
}

std::optional<int> AnswerScript::NextDialog(int templateId) {
    const auto value = Next("dialog", std::to_string(templateId));
    return value ? ParseButtonId(*value) : std::nullopt;
}

std::size_t AnswerScript::Remaining() const {
    std::size_t count = 0;
    for (const auto& [name, queue] : m_queues)
        count += queue.size();
    return count;
}

} // namespace vortan::ui
