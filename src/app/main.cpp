#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr const char* kUsage = R"(Usage: vortan [OPTION]

VORTAN moves configuration files between this PC and the parameterization memory
(flash file store) of a controller board. Client programs drive it over the D-Bus
session bus; each client gets a server process of its own.

Options:
  --automation   start as the automation server (the session bus does this)
  --register     write the server's registration and exit
  --unregister   remove the server's registration and exit
  --help         show this text and exit
  --version      show the version and exit
)";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("vortan %s\n", VORTAN_VERSION);
            return 0;
        }
    }
    std::fputs("vortan: the automation server is not built yet; see --help\n", stderr);
    return 2;
}
