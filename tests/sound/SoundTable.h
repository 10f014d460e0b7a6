#pragma once
// The stored form of the fourteen embedded sounds, as the game counts on them.
#include <array>
#include <cstdint>
#include <string_view>

struct TStoredSound {
  std::string_view Name;
  std::uint16_t Format;  // 1 PCM, 2 MS ADPCM
  std::uint32_t Rate;    // samples per second
  std::uint16_t Bits;    // per sample
  std::uint32_t Ms;      // length from the data size, rounded to whole milliseconds
};

inline constexpr std::array<TStoredSound, 14> StoredSounds{{
    {"SOFTSHOT", 1, 11025, 8, 397},
    {"MEDIUMSHOT", 1, 11025, 8, 397},
    {"LOUDSHOT", 1, 11025, 8, 397},
    {"GLASS", 1, 11025, 8, 223},
    {"WHOOSH", 1, 11025, 8, 155},
    {"NUKE", 1, 11025, 8, 804},
    {"CRASH", 1, 22050, 16, 1800},
    {"APPLAUSE", 1, 11025, 16, 3294},
    {"DRUMROLL", 1, 11025, 8, 1758},
    {"CHIMES", 1, 22050, 16, 1689},
    {"ENTRY", 1, 22050, 16, 4853},
    {"BONUS", 2, 22050, 4, 2680},
    {"REVIVE", 1, 22050, 16, 660},
    {"KICHER", 1, 16000, 16, 938},
}};
