#include "client/ctl/CtlCommand.h"

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <map>

#include "automation/AutomationMethods.h"

namespace vortan::ctl {

namespace {

// Open dialog, several files, files (not folders): what a client picking files to write wants.
constexpr std::int32_t kDefaultControlFlags = 0x203;

// `path` against `cwd` unless it is absolute; "." components go, ".." stay (a symbolic link
// decides where they lead, and only the file system knows).
std::string Absolute(const std::string& path, const std::string& cwd) {
    const std::filesystem::path given(path);
    const std::filesystem::path joined =
        given.is_absolute() ? given : std::filesystem::path(cwd) / given;
    std::filesystem::path result;
    for (const auto& part : joined) {
        if (part == "." || part.empty())
            continue;
        result /= part;
    }
    std::string text = result.string();
    if (text.empty())
        text = "/";
    return text;
}

std::string Join(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty())
            text += ';';
        text += item;
    }
    return text;
}

template <typename T>
bool ParseInteger(const std::string& text, T& value) {
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    std::int64_t magnitude = 0;
    const auto [end, ec] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
        return false;
    std::int64_t number = negative ? -magnitude : magnitude;
    // Hexadecimal words are bit patterns: 0xFFFFFFFF is -1 as a 32-bit value.
    if (base == 16 && !negative && number > std::numeric_limits<T>::max() &&
        number <= static_cast<std::int64_t>(std::numeric_limits<std::make_unsigned_t<T>>::max()))
        number -=
            static_cast<std::int64_t>(std::numeric_limits<std::make_unsigned_t<T>>::max()) + 1;
    if (number < std::numeric_limits<T>::min() || number > std::numeric_limits<T>::max())
        return false;
    value = static_cast<T>(number);
    return true;
}

bool ParseBool(const std::string& text, bool& value) {
    static const std::map<std::string, bool> words = {
        {"true", true},   {"yes", true}, {"on", true},   {"1", true}, {"-1", true},
        {"false", false}, {"no", false}, {"off", false}, {"0", false}};
    const auto it = words.find(text);
    if (it == words.end())
        return false;
    value = it->second;
    return true;
}

// The typed arguments of `call`: the given texts fill the inputs in order, the outputs start
// as 0 or "" (an in/out selector takes its given value).
bool TypeArguments(const automation::MethodInfo& method, const std::vector<std::string>& texts,
                   std::vector<client::Value>& args, std::string& error) {
    std::size_t inputs = 0;
    for (const automation::ParamInfo& param : method.params)
        inputs += automation::IsInput(param.kind) ? 1 : 0;
    if (texts.size() != inputs) {
        error = std::string(method.name) + " takes " + std::to_string(inputs) + " argument" +
                (inputs == 1 ? "" : "s") + ", " + std::to_string(texts.size()) + " given";
        return false;
    }
    std::size_t next = 0;
    for (const automation::ParamInfo& param : method.params) {
        const std::string name(param.name);
        switch (param.kind) {
        case automation::ParamKind::Bstr:
            args.emplace_back(texts[next++]);
            break;
        case automation::ParamKind::I4: {
            std::int32_t value = 0;
            if (!ParseInteger(texts[next], value)) {
                error = name + ": \"" + texts[next] + "\" is no 32-bit integer";
                return false;
            }
            ++next;
            args.emplace_back(value);
            break;
        }
        case automation::ParamKind::Bool: {
            bool value = false;
            if (!ParseBool(texts[next], value)) {
                error = name + ": \"" + texts[next] + "\" is neither true nor false";
                return false;
            }
            ++next;
            args.emplace_back(value);
            break;
        }
        case automation::ParamKind::InOutI2: {
            std::int16_t value = 0;
            if (!ParseInteger(texts[next], value)) {
                error = name + ": \"" + texts[next] + "\" is no 16-bit integer";
                return false;
            }
            ++next;
            args.emplace_back(value);
            break;
        }
        case automation::ParamKind::OutI2:
            args.emplace_back(std::int16_t{0});
            break;
        case automation::ParamKind::OutI4:
            args.emplace_back(std::int32_t{0});
            break;
        case automation::ParamKind::OutBstr:
            args.emplace_back(std::string());
            break;
        }
    }
    return true;
}

struct Options {
    std::string controller;
    std::string profile;
    std::string section;
    std::string dir = ".";
    bool option = false;
    std::int32_t openFlags = 0;
    std::int32_t controlFlags = kDefaultControlFlags;
    bool controllerGiven = false;
};

} // namespace

bool ParseCommandLine(const std::vector<std::string>& argv, const std::string& cwd,
                      CtlCommand& command, std::string& error) {
    command = CtlCommand{};
    Options options;
    std::vector<std::string> positional;
    bool optionsEnd = false;

    for (std::size_t i = 0; i < argv.size(); ++i) {
        std::string arg = argv[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        // A negative number is an argument of `call`, not an option.
        if (arg[1] >= '0' && arg[1] <= '9') {
            positional.push_back(arg);
            continue;
        }
        std::string inlineValue;
        bool hasInline = false;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
            hasInline = true;
        }
        const auto value = [&](std::string& target) {
            if (hasInline) {
                target = inlineValue;
                return true;
            }
            if (i + 1 >= argv.size()) {
                error = arg + " needs a value";
                return false;
            }
            target = argv[++i];
            return true;
        };
        const auto flag = [&](bool& target) {
            if (hasInline) {
                error = arg + " takes no value";
                return false;
            }
            target = true;
            return true;
        };
        const auto number = [&](std::int32_t& target) {
            std::string text;
            if (!value(text))
                return false;
            if (!ParseInteger(text, target)) {
                error = arg + ": \"" + text + "\" is no 32-bit integer";
                return false;
            }
            return true;
        };

        bool ok = true;
        if (arg == "-c" || arg == "--controller") {
            ok = value(options.controller);
            options.controllerGiven = true;
        } else if (arg == "--profile") {
            ok = value(options.profile);
            if (ok && !options.profile.empty())
                options.profile = Absolute(options.profile, cwd);
        } else if (arg == "--section") {
            ok = value(options.section);
        } else if (arg == "-d" || arg == "--dir") {
            ok = value(options.dir);
        } else if (arg == "--option") {
            ok = flag(options.option);
        } else if (arg == "--open-flags") {
            ok = number(options.openFlags);
        } else if (arg == "--control-flags") {
            ok = number(options.controlFlags);
        } else if (arg == "--json") {
            ok = flag(command.json);
        } else if (arg == "-q" || arg == "--quiet") {
            ok = flag(command.quiet);
        } else if (arg == "-h" || arg == "--help") {
            ok = flag(command.help);
        } else if (arg == "--version") {
            ok = flag(command.version);
        } else {
            error = "unknown option " + arg;
            return false;
        }
        if (!ok)
            return false;
    }

    if (command.help || command.version)
        return true;
    if (positional.empty()) {
        error = "no verb given";
        return false;
    }
    command.verb = positional.front();
    const std::vector<std::string> rest(positional.begin() + 1, positional.end());

    const auto needController = [&] {
        if (options.controller.empty()) {
            error = command.verb + " needs the controller (-c NAME)";
            return false;
        }
        return true;
    };
    const auto noArguments = [&] {
        if (!rest.empty()) {
            error = command.verb + " takes no arguments";
            return false;
        }
        return true;
    };
    const auto needFiles = [&](const char* what) {
        if (rest.empty()) {
            error = command.verb + " needs at least one " + what;
            return false;
        }
        return true;
    };

    const std::string& c = options.controller;
    const std::string& p = options.profile;
    const std::string& s = options.section;
    const std::string& v = command.verb;
    if (v == "write") {
        if (!needController() || !needFiles("local file"))
            return false;
        std::vector<std::string> files;
        for (const std::string& file : rest)
            files.push_back(Absolute(file, cwd));
        command.method = "WriteFile2";
        command.args = {c, p, s, Join(files), options.option, std::int16_t{0}};
    } else if (v == "read") {
        if (!needController() || !needFiles("name in the memory"))
            return false;
        command.method = "ReadFile2";
        command.args = {
            c, p, s, Absolute(options.dir, cwd), Join(rest), options.option, std::int16_t{0}};
    } else if (v == "remove") {
        if (!needController() || !needFiles("name in the memory"))
            return false;
        command.method = "RemoveFiles2";
        command.args = {c, p, s, Join(rest), options.option, std::int16_t{0}};
    } else if (v == "format") {
        if (!needController() || !noArguments())
            return false;
        command.method = "Format2";
        command.args = {std::int16_t{0}, c, p, s, options.option, std::int16_t{0}};
    } else if (v == "select-files") {
        if (rest.size() > 1) {
            error = "select-files takes at most the initial directory";
            return false;
        }
        const std::string initial = rest.empty() ? std::string() : Absolute(rest.front(), cwd);
        command.method = "ShowFileSelectDialog";
        command.args = {
            p, s, initial, options.openFlags, options.controlFlags, std::string(), std::int16_t{0}};
    } else if (v == "select-dir") {
        if (rest.size() > 1) {
            error = "select-dir takes at most one text";
            return false;
        }
        command.method = "ShowDirectorySelectDialog";
        command.args = {p, s, rest.empty() ? std::string() : rest.front(), std::string(),
                        std::int16_t{0}};
    } else if (v == "last-error") {
        // A fresh server has never connected: it could only ever say 0.
        error = "last-error is gone: each run has a server of its own, and a failed run prints "
                "the controller's last error itself (error= value1= value2= value3=)";
        return false;
    } else if (v == "close") {
        if (!noArguments())
            return false;
        command.method = "CloseServer";
    } else if (v == "call") {
        if (rest.empty()) {
            error = "call needs a method name or DISPID";
            return false;
        }
        const std::string& target = rest.front();
        const automation::MethodInfo* method = nullptr;
        DISPID dispid = 0;
        const bool numeric = ParseInteger(target, dispid);
        method = numeric ? automation::FindMethod(dispid) : automation::FindMethod(target);
        if (method == nullptr) {
            error = "no method " + target + " (names and DISPIDs: see --help)";
            return false;
        }
        command.method = numeric ? std::to_string(dispid) : std::string(method->name);
        if (!TypeArguments(*method, std::vector<std::string>(rest.begin() + 1, rest.end()),
                           command.args, error))
            return false;
    } else {
        error = "unknown verb " + v;
        return false;
    }
    return true;
}

std::string UsageText() {
    return R"usage(Usage: vortanctl [OPTIONS] VERB [ARGUMENTS...]

Drives the VORTAN automation server over the D-Bus session bus. Each run starts a server of
its own (the bus activates it), makes one call and ends.

Verbs:
  write FILE...           write local files into the controller's memory (WriteFile2)
  read NAME...            read files of the memory into a local directory (-d, ReadFile2)
  remove NAME...          remove files from the memory (RemoveFiles2)
  format                  format the memory (Format2)
  select-files [INITDIR]  let the user pick files (ShowFileSelectDialog)
  select-dir [TEXT]       let the user pick a directory (ShowDirectorySelectDialog)
  close                   start a server and end it at once (CloseServer): checks that
                          the server can be started
  call METHOD ARG...      any method by name or DISPID; ARGs are its input parameters in
                          order (texts, integers, true/false); out-parameters are printed

Options:
  -c, --controller NAME   the controller (for the simulated board: the board's name)
      --profile FILE      the profile file with the display texts (made absolute)
      --section NAME      its section
      --option            pass the option flag as true (default false)
  -d, --dir DIR           where read stores the files (default: the current directory)
      --open-flags N      extra open-file flags of select-files (default 0)
      --control-flags N   control flags of select-files (default 0x203)
      --json              print one JSON object instead of key=value words
  -q, --quiet             no progress bar (it is drawn only when stdout is a terminal)
  -h, --help              this text
      --version           the version

Local paths (write's files, read's directory, the profile, select-files' directory) are made
absolute before they are sent, since the server runs in another directory; names in the
memory are sent as given. Several files are joined with ";".

Output: one line of words a shell can eval, for example
  code=0x00000000 result=1
code is the method's return code (or why the call failed), result its result flag (for the
selections: the dialog result); other out-parameters follow under their names. After a
transfer or format that failed, the controller's last error follows, as the same server
reports it (GetLastErrorCode; with --json as "lastError"):
  code=0x00000000 result=0 error=3 value1=0 value2=0 value3=0
The object is released when the call is done, so its server ends at once.

Exit codes:
  0  success: code S_OK and result 1 (methods without a result flag: code S_OK)
  1  failure: any other code or result, or the server could not be reached
  2  usage error
  3  cancelled by the user: result 2 (a read's overwrite question, a selection dialog)

Methods and DISPIDs: 1 ReadFile, 2 WriteFile, 3 Format, 4 ShowFileSelectDialog,
5 ShowDirectorySelectDialog, 6 GetLastErrorCode, 7 CloseServer, 8 RemoveFiles, 9 Format2,
10 WriteFile2, 11 ReadFile2, 12 RemoveFiles2.

Examples:
  vortanctl -c DEMO write a.ini b.ini                  # write two files
  vortanctl -c DEMO -d restored read a.ini b.ini       # read them into ./restored
  vortanctl -c DEMO remove a.ini                       # remove one from the memory
  vortanctl -c DEMO format                             # empty the memory
  vortanctl --profile texts.ini --section Main select-files ~/configs
  vortanctl select-dir "Where to?"
  vortanctl --json -c DEMO remove a.ini                # failed: "lastError" tells why
  vortanctl close                                      # can a server be started?
  vortanctl call WriteFile2 DEMO "" "" /tmp/a.ini false
  vortanctl call 11 DEMO "" "" /tmp/out a.ini false     # ReadFile2 by DISPID
  eval "$(vortanctl -q -c DEMO write a.ini)" && echo "result flag $result"
)usage";
}

} // namespace vortan::ctl
