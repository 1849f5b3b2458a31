#include "system/SessionBus.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vortan::systest {

namespace {

// Waits for a child that ends; its exit code, -1 if a signal ended it.
int Reap(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string WriteConfig(const std::string& configDir, const std::string& serviceDir) {
    const std::string path = configDir + "/session.conf";
    std::ofstream out(path);
    out << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir="
        << configDir
        << "</listen>\n"
           "  <servicedir>"
        << serviceDir
        << "</servicedir>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
    return path;
}

} // namespace

SessionBus::SessionBus(const std::string& configDir, const std::string& serviceDir) {
    const std::string config = WriteConfig(configDir, serviceDir);
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        const std::string configArg = "--config-file=" + config;
        execlp("dbus-daemon", "dbus-daemon", configArg.c_str(), "--nofork", "--print-address=1",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return;
    }
    m_pid = pid;
    std::string address;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        address += c;
    close(fds[0]);
    if (address.empty()) {
        Kill();
        return;
    }
    m_strAddress = address;
}

SessionBus::~SessionBus() {
    Kill();
}

void SessionBus::Kill() {
    StopProgram(m_pid);
    m_pid = -1;
}

pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& stderrPath) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!stderrPath.empty()) {
            const int fd = open(stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd < 0)
                _exit(127);
            dup2(fd, STDERR_FILENO);
            close(fd);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

void StopProgram(pid_t pid) {
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    Reap(pid);
}

int WaitProgram(pid_t pid, int ms) {
    if (pid <= 0)
        return -1;
    int status = 0;
    for (int waited = 0;; waited += 20) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0 && errno != EINTR)
            return -1;
        if (waited >= ms) {
            StopProgram(pid);
            return -2;
        }
        usleep(20 * 1000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunProgram(const std::string& program, const std::vector<std::string>& args) {
    const pid_t pid = SpawnProgram(program, args);
    return pid < 0 ? -1 : Reap(pid);
}

} // namespace vortan::systest
