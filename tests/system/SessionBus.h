#pragma once

#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vortan::systest {

// A private session bus for the tests: a dbus-daemon of our own with a configuration of our
// own, whose only service directory is `serviceDir`. The user's session is never touched.
class SessionBus final {
public:
    SessionBus(const std::string& configDir, const std::string& serviceDir);
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    bool Running() const { return m_pid > 0; }
    const std::string& Address() const { return m_strAddress; }
    // Ends the daemon (the test started it) and waits for it.
    void Kill();

private:
    pid_t m_pid = -1;
    std::string m_strAddress;
};

// Starts `program` with `args` and the current environment; its pid, or -1. With
// `stderrPath`, its standard error goes into that file (sanitizer reports included).
pid_t SpawnProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& stderrPath = {});
// Waits up to `ms` for a process this test started; its exit code, -1 if a signal ended it,
// -2 if it did not end in time (it is then ended).
int WaitProgram(pid_t pid, int ms);
// Ends a process this test started and waits for it.
void StopProgram(pid_t pid);

// Runs `program` with `args` and the current environment; its exit code, or -1.
int RunProgram(const std::string& program, const std::vector<std::string>& args);

} // namespace vortan::systest
