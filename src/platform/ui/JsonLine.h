#pragma once

#include <string>
#include <string_view>

namespace vortan::ui {

// Appends `text` as a JSON string literal: quotes, backslashes and control characters
// escaped, UTF-8 passed through, invalid bytes replaced by U+FFFD so the line stays valid.
void AppendJsonString(std::string& out, std::string_view text);

// One JSON object built field by field, for one line of the transcript.
class JsonLine final {
public:
    JsonLine& Add(std::string_view key, std::string_view text);
    JsonLine& Add(std::string_view key, const char* text) {
        return Add(key, std::string_view(text));
    }
    JsonLine& Add(std::string_view key, long long number);
    JsonLine& AddNull(std::string_view key);
    // `json` must already be valid JSON (an array built elsewhere).
    JsonLine& AddRaw(std::string_view key, std::string_view json);

    std::string Str() const { return m_json + "}"; }

private:
    void Key(std::string_view key);

    std::string m_json = "{";
};

} // namespace vortan::ui
