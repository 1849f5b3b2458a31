#include "BenchBus.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "system/SessionBus.h"

namespace vortan::bench {

BenchBus::BenchBus(const std::string& base) {
    std::string pattern = base + "/vortan-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return;
    }
    m_root = pattern;
    m_services = m_root + "/data/dbus-1/services";
    std::filesystem::create_directories(m_services);
    std::filesystem::create_directories(m_root + "/config");
    std::filesystem::create_directories(m_root + "/runtime");
    std::filesystem::create_directories(m_root + "/boards");
    std::filesystem::permissions(m_root + "/runtime", std::filesystem::perms::owner_all);
    setenv("XDG_DATA_HOME", (m_root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (m_root + "/runtime").c_str(), 1);
    setenv("VORTAN_CLASSES", (m_root + "/classes.ini").c_str(), 1);
    setenv("VORTAN_BOARDS", (m_root + "/boards").c_str(), 1);
    setenv("VORTAN_RELEASE_GRACE", "0", 1);
    // No display: the servers run unattended, as on a build machine.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");

    m_bus = std::make_unique<systest::SessionBus>(m_root, m_services);
    if (!m_bus->Running())
        return;
    setenv("DBUS_SESSION_BUS_ADDRESS", m_bus->Address().c_str(), 1);
}

BenchBus::~BenchBus() {
    m_bus.reset(); // the daemon goes before its directory
    if (!m_root.empty()) {
        std::error_code error;
        std::filesystem::remove_all(m_root, error);
    }
}

bool BenchBus::Ok() const {
    return m_bus != nullptr && m_bus->Running();
}

void BenchBus::AddService(const std::string& name, const std::string& exec) const {
    std::ofstream(m_services + "/" + name + ".service")
        << "[D-BUS Service]\nName=" << name << "\nExec=" << exec << "\n";
}

int RunProgram(const std::vector<std::string>& argv, bool quiet) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (quiet) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double NowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace vortan::bench
