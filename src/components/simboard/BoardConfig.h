#pragma once

// The settings of a board, kept in its board.ini:
//
//   [board]
//   capacity=67108864      ; bytes the memory holds (sum of file sizes)
//   max_files=256          ; files the memory holds
//   speed=0                ; link speed in bytes/s, 0 = as fast as the disk
//   fail_item=0            ; fault switch: the Nth item of a connection fails (0 = off)
//   fail_after_bytes=      ; fault switch: every copy fails after this many bytes (empty = off)
//   read_only=0            ; 1: writes, removals and formats are refused
//   silent=0               ; fault switch, 1: a Connect is never answered

#include <cstdint>
#include <filesystem>
#include <optional>

#include "components/simboard/BoardError.h"

namespace vortan::simboard {

struct BoardConfig {
    std::uint64_t capacity = 64ull * 1024 * 1024;
    std::uint64_t maxFiles = 256;
    std::uint64_t speed = 0;
    std::uint64_t failItem = 0;
    std::optional<std::uint64_t> failAfterBytes;
    bool readOnly = false;
    bool silent = false;

    // Missing keys (or a missing file) keep the defaults; a value that is no unsigned
    // decimal number, or longer than 59 bytes, is BoardConfigInvalid.
    static BoardError Load(const std::filesystem::path& iniFile, BoardConfig& config);
    // Writes the whole file (created or replaced).
    BoardError Save(const std::filesystem::path& iniFile) const;
};

} // namespace vortan::simboard
