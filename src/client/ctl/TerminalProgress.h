#pragma once

// A one-line progress bar on a terminal, redrawn in place from the server's Progress signals.

#include <cstdio>
#include <string>

namespace vortan::ctl {

class TerminalProgress final {
public:
    // Draws on `out` only when `enabled`; otherwise every call does nothing.
    TerminalProgress(std::FILE* out, bool enabled) : m_out(out), m_bEnabled(enabled) {}
    ~TerminalProgress() { Finish(); }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void Show(const std::string& status, int percent);
    // Clears the line, so that what is printed next starts at its beginning.
    void Finish() noexcept;

    // The line for a terminal `width` columns wide: bar, percent and as much status as fits.
    static std::string Line(const std::string& status, int percent, int width);

private:
    std::FILE* m_out;
    bool m_bEnabled;
    bool m_bDrawn = false;
};

} // namespace vortan::ctl
