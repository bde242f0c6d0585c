// The game's five tunes: the title march, the robot-selection groove and three fight tunes.
#pragma once

#include "Midi.h"

#include <string>
#include <vector>

namespace assets {

struct TuneFile {
    std::string fileName;  // as the game looks for it beside the program
    MidiTune tune;
};

std::vector<TuneFile> MakeTunes();

}  // namespace assets
