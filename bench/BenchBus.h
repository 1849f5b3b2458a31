#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vortan::systest {
class SessionBus;
}

namespace vortan::bench {

// A private session bus in a temporary XDG tree of its own, for the benchmarks that activate
// servers: the tree's directories, the bus address and the unattended desktop go into this
// process's environment, which the programs it starts inherit.
class BenchBus final {
public:
    // The tree is made under `base` (a tmpfs such as /dev/shm keeps the disk out of figures).
    explicit BenchBus(const std::string& base);
    ~BenchBus();
    BenchBus(const BenchBus&) = delete;
    BenchBus& operator=(const BenchBus&) = delete;

    bool Ok() const;
    const std::string& Root() const { return m_root; }
    // A D-Bus service file, so that calls to `name` start `exec`.
    void AddService(const std::string& name, const std::string& exec) const;

private:
    std::string m_root;
    std::string m_services;
    std::unique_ptr<systest::SessionBus> m_bus;
};

// Runs a program with arguments and waits for it; its exit code, -1 when it did not exit.
int RunProgram(const std::vector<std::string>& argv, bool quiet = true);

// Milliseconds of a steady clock, for differences.
double NowMs();

} // namespace vortan::bench
