#include "client/ctl/CtlOutcome.h"

#include <charconv>
#include <optional>
#include <utility>
#include <vector>

#include "automation/AutomationMethods.h"
#include "client/ctl/CtlCommand.h"
#include "platform/ui/JsonLine.h"

namespace vortan::ctl {

namespace {

const automation::MethodInfo* Method(const CtlOutcome& outcome) {
    DISPID dispid = 0;
    const std::string& m = outcome.method;
    const auto [end, ec] = std::from_chars(m.data(), m.data() + m.size(), dispid);
    if (ec == std::errc() && end == m.data() + m.size())
        return automation::FindMethod(dispid);
    return automation::FindMethod(m);
}

// The output's names of the out-parameters: both result flags are "result", and the error
// code of GetLastErrorCode is "error" (beside the call's own "code"), the chosen paths are
// "files" and "directory".
std::string OutName(std::string_view name) {
    if (name == "result" || name == "dialogResult")
        return "result";
    if (name == "code")
        return "error";
    if (name == "chosenFiles")
        return "files";
    if (name == "chosenDirectory")
        return "directory";
    return std::string(name);
}

// The out-parameters of `method` as (name, value) in declaration order, once the call went
// through.
std::vector<std::pair<std::string, client::Value>> Outs(const automation::MethodInfo* method,
                                                        const client::CallResult& call) {
    std::vector<std::pair<std::string, client::Value>> outs;
    if (method == nullptr || !call.error.empty())
        return outs;
    std::size_t index = 0;
    for (const automation::ParamInfo& param : method->params) {
        if (!automation::IsOutput(param.kind) || index >= call.outs.size())
            continue;
        outs.emplace_back(OutName(param.name), call.outs[index++]);
    }
    return outs;
}

std::vector<std::pair<std::string, client::Value>> Outs(const CtlOutcome& outcome) {
    return Outs(Method(outcome), outcome.call);
}

std::vector<std::pair<std::string, client::Value>> LastErrorOuts(const CtlOutcome& outcome) {
    if (!outcome.lastError || outcome.lastError->hr != S_OK)
        return {};
    return Outs(automation::FindMethod("GetLastErrorCode"), *outcome.lastError);
}

std::optional<int> ResultFlag(const CtlOutcome& outcome) {
    for (const auto& [name, value] : Outs(outcome)) {
        if (name != "result")
            continue;
        if (const auto* flag = std::get_if<std::int16_t>(&value))
            return *flag;
        if (const auto* flag = std::get_if<std::int32_t>(&value))
            return *flag;
    }
    return std::nullopt;
}

std::string JsonString(std::string_view text) {
    std::string out;
    vortan::ui::AppendJsonString(out, text);
    return out;
}

std::string Text(const client::Value& value, bool json) {
    return std::visit(
        [json](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>)
                return json ? JsonString(v) : ShellQuote(v);
            else if constexpr (std::is_same_v<T, bool>)
                return v ? "true" : "false";
            else
                return std::to_string(v);
        },
        value);
}

} // namespace

int ExitCode(const CtlOutcome& outcome) {
    if (outcome.call.hr != S_OK || !outcome.call.error.empty())
        return kExitFailed;
    const std::optional<int> flag = ResultFlag(outcome);
    if (!flag || *flag == 1)
        return kExitOk;
    return *flag == 2 ? kExitCancelled : kExitFailed;
}

bool WantsLastError(const CtlOutcome& outcome) {
    const automation::MethodInfo* method = Method(outcome);
    if (method == nullptr || !outcome.call.error.empty() || ExitCode(outcome) != kExitFailed)
        return false;
    // The methods that connect to the controller.
    const std::string_view name = method->name;
    return name.starts_with("ReadFile") || name.starts_with("WriteFile") ||
           name.starts_with("RemoveFiles") || name.starts_with("Format");
}

std::string ShellQuote(std::string_view value) {
    bool plain = !value.empty();
    for (const char c : value) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') ||
                          std::string_view("/._-+:,@%").find(c) != std::string_view::npos;
        if (!safe)
            plain = false;
    }
    if (plain)
        return std::string(value);
    std::string out = "'";
    for (const char c : value) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

std::string FormatLine(const CtlOutcome& outcome) {
    std::string line = "code=" + FormatHResult(outcome.call.hr);
    for (const auto& outs : {Outs(outcome), LastErrorOuts(outcome)}) {
        for (const auto& [name, value] : outs) {
            line += ' ';
            line += name + "=" + Text(value, false);
        }
    }
    return line;
}

std::string FormatJson(const CtlOutcome& outcome) {
    const automation::MethodInfo* method = Method(outcome);
    std::string json = "{\"verb\":" + JsonString(outcome.verb) +
                       ",\"method\":" + JsonString(method ? method->name : outcome.method) +
                       ",\"code\":" + JsonString(FormatHResult(outcome.call.hr)) +
                       ",\"exit\":" + std::to_string(ExitCode(outcome)) +
                       ",\"ok\":" + (ExitCode(outcome) == kExitOk ? "true" : "false");
    for (const auto& [name, value] : Outs(outcome))
        json += "," + JsonString(name) + ":" + Text(value, true);
    if (!outcome.call.error.empty())
        json += ",\"error\":" + JsonString(outcome.call.error);
    if (const auto last = LastErrorOuts(outcome); !last.empty()) {
        std::string members;
        for (const auto& [name, value] : last)
            members += (members.empty() ? "" : ",") + JsonString(name) + ":" + Text(value, true);
        json += ",\"lastError\":{" + members + "}";
    }
    return json + "}";
}

} // namespace vortan::ctl
