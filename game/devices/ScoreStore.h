// The score file's reads and writes over the platform's file service alone,
// with no form, so that a fuzz target can drive them as the game does.
//
// The file is the 16 integers of the table, 4 bytes each, little-endian:
// entries 1-5 as {kills, robot}, then {C1, 0}, {C2, 0}, {C3, 0}.
#pragma once

#include "Files.h"

#include <cstddef>
#include <cstdint>
#include <string>

using ScoreImage = std::int32_t[16];

// A file up to this size is replaced by a whole new copy when a run is
// stored; a longer one has its table written in place.
constexpr std::size_t kScoreCopyLimit = 4096;

// The five entries' bytes into `table` as far as the file holds them,
// unchecked; a missing file is made empty. False when nothing opened.
bool ReadStoredEntries(platform::Files& files, const std::string& path, ScoreImage& table);

// Reads and checks the table, puts the run in, and stores the table with
// fresh check values, holding the file for this program alone meanwhile.
// False is the file error (another program holds the file, or a step failed);
// a table the file held is then still there, whole.
bool StoreSurvivalRun(platform::Files& files, const std::string& path, ScoreImage& table, std::int32_t kills,
                      std::int32_t robot);
