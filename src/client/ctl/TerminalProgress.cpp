#include "client/ctl/TerminalProgress.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vortan::ctl {

namespace {

constexpr int kBarWidth = 30;
constexpr int kDefaultColumns = 80;

int Columns(std::FILE* out) {
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultColumns;
}

// Cuts UTF-8 text to `columns` characters without splitting one.
std::string Cut(const std::string& text, int columns) {
    std::size_t i = 0;
    for (int n = 0; i < text.size(); ++n) {
        if (n == columns)
            return text.substr(0, i);
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return text;
}

} // namespace

std::string TerminalProgress::Line(const std::string& status, int percent, int width) {
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * kBarWidth / 100;
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarWidth - filled), '-') + "] ";
    const std::string number = std::to_string(percent) + "%";
    line += std::string(4 - std::min<std::size_t>(4, number.size()), ' ') + number;
    const int room = width - 1 - static_cast<int>(line.size()) - 2;
    if (room > 0 && !status.empty())
        line += "  " + Cut(status, room);
    return line;
}

void TerminalProgress::Show(const std::string& status, int percent) {
    if (!m_bEnabled)
        return;
    std::fprintf(m_out, "\r\033[K%s", Line(status, percent, Columns(m_out)).c_str());
    std::fflush(m_out);
    m_bDrawn = true;
}

void TerminalProgress::Finish() noexcept {
    if (!m_bDrawn)
        return;
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
    m_bDrawn = false;
}

} // namespace vortan::ctl
