// CD audio: a fight's music from a track of the disc, whose end is also the
// fight's clock. Without a drive or a disc the game falls back to MIDI.
#include "CdAudio.h"
#include "Devices.h"
#include "GameState.h"

int TForm1::CheckDrive() {
    for (char letter = 'B'; letter <= 'N'; ++letter) {
        CdDrive[0] = letter;
        CdDrive[1] = ':';
        CdDrive[2] = '\0';
        if (MediaPlayer1 && MediaPlayer1->TypeOfDrive(CdDrive) == platform::DriveType::CdRom) return 1;
    }
    return 0;
}

// A query that fails counts as no disc.
bool TForm1::CheckDisc() {
    bool present = false;
    return MediaPlayer1 && MediaPlayer1->MediaPresent(present) && present;
}

void TForm1::UpdateCDInfo() {
    if (!MediaPlayer1) return;
    MediaPlayer1->SetTrackTimeFormat();
    if (!MediaPlayer1->TrackCount(CdTrackCount)) CdTrackCount = 0;
}

void TForm1::CloseCd() {
    if (!MediaPlayer1) return;
    platform::CdMode mode = platform::CdMode::NotOpen;
    if (MediaPlayer1->Mode(mode) && mode == platform::CdMode::Playing) MediaPlayer1->Stop();
    MediaPlayer1->Close();
}

void TForm1::PrepareDisc() {
    if (MusicSource != MusicCd) return;
    CheckDrive();
    // A drive that will not open is as good as no disc: MIDI it is.
    if (!MediaPlayer1 || !MediaPlayer1->Open(CdDrive) || !CheckDisc()) {
        CloseCd();
        MusicSource = MusicMidi;
        return;
    }
    UpdateCDInfo();
    CdTrack = 1;
}

void TForm1::StartCdTrack() {
    if (!MediaPlayer1) return;
    std::uint32_t start = 0;
    MediaPlayer1->TrackStart(CdTrack, start);
    MediaPlayer1->Seek(start);
    MediaPlayer1->Play();
}

void TForm1::WatchDisc() {
    if (MusicSource != MusicCd || CheckDisc()) return;
    devices.services.system->PlayWaveFile(devices.services.system->CurrentDirectory() + "/Cut1.wav");
    CloseCd();
    MusicSource = MusicMidi;
}

bool TForm1::CdTrackChanged() {
    if (MusicSource != MusicCd || !MediaPlayer1) return false;
    platform::CdMode mode = platform::CdMode::NotOpen;
    std::uint32_t position = 0;
    // A failed query never ends a fight.
    if (!MediaPlayer1->Mode(mode) || mode != platform::CdMode::Playing) return false;
    if (!MediaPlayer1->Position(position) || platform::TmsfTrack(position) == CdTrack) return false;
    MediaPlayer1->Stop();
    MediaPlayer1->Close();
    return true;
}

void TForm1::StopWaveFile() { devices.services.system->PlayWaveFile(""); }
