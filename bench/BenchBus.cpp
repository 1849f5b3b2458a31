#include "BenchBus.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

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

    const std::string config = m_root + "/session.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n  <type>session</type>\n  <listen>unix:dir="
        << m_root << "</listen>\n  <servicedir>" << m_services
        << "</servicedir>\n  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n"
           "</busconfig>\n";
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        const std::string arg = "--config-file=" + config;
        execlp("dbus-daemon", "dbus-daemon", arg.c_str(), "--nofork", "--print-address=1",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string address;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        address += c;
    close(fds[0]);
    if (pid <= 0 || address.empty())
        return;
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    m_daemon = pid;
}

BenchBus::~BenchBus() {
    if (m_daemon > 0) {
        kill(m_daemon, SIGTERM);
        waitpid(m_daemon, nullptr, 0);
    }
    if (!m_root.empty()) {
        std::error_code error;
        std::filesystem::remove_all(m_root, error);
    }
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
