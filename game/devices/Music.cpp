// Music: one current tune from a Standard MIDI File, looping until the next
// stage change. Every failure here closes the form without a message box; the
// reason goes to standard error when the program ends.
#include "Devices.h"
#include "GameState.h"

namespace {

platform::Music& Service(Devices& devices) { return *devices.services.music; }

void ReleaseState(Devices& devices, MusicObjects& m) {
    if (!m.musicSegmentState) return;
    Service(devices).ReleaseState(m.musicSegmentState);
    m.musicSegmentState = nullptr;
}

}  // namespace

void TForm1::StartDirectMusic() {
    MusicObjects& m = devices.music;
    if (!(m.started = Service(devices).Start())) return CloseFormOnError("music: the music service could not start");
    if (!(m.musicPerformance = Service(devices).CreatePerformance()))
        return CloseFormOnError("music: the performance could not be created");
    if (!(m.directMusic = Service(devices).InitialisePerformance()))
        return CloseFormOnError("music: the performance could not be set up on the audio device");
    if (!(m.musicLoader = Service(devices).CreateLoader())) return CloseFormOnError("music: the loader could not be created");

    // Tunes are looked up where the game was started, wherever it goes later.
    m.searchDirectory = devices.services.system->CurrentDirectory();
    if (m.searchDirectory.empty()) return CloseFormOnError("music: the current folder could not be read");
    Service(devices).SetSearchDirectory(m.searchDirectory);

    if (!Service(devices).AddDefaultPort()) return CloseFormOnError("music: no output port for the tunes");
}

void TForm1::MakeSegment(const char* fileName) {
    MusicObjects& m = devices.music;
    m.tuneFile = fileName;
    m.MusicSegment = m.musicLoader ? Service(devices).LoadSegment(fileName) : nullptr;
    const char* const slash = m.searchDirectory.ends_with('/') ? "" : "/";
    if (m.musicLoader && !m.MusicSegment && Service(devices).LastRefusal() == platform::TuneRefusal::TooLarge)
        return CloseFormOnError("music: cannot load the tune %s%s%s (too large: a tune may be at most %d MiB)",
                                m.searchDirectory.c_str(), slash, fileName, platform::kMaxTuneFileMiB);
    if (!m.MusicSegment)
        return CloseFormOnError("music: cannot load the tune %s%s%s (missing or not a playable MIDI file; tunes are "
                                "looked up in the folder the game was started from)",
                                m.searchDirectory.c_str(), slash, fileName);
    if (!Service(devices).MarkStandardMidi(m.MusicSegment))
        return CloseFormOnError("music: the tune %s could not be read as a Standard MIDI File", fileName);
    if (!Service(devices).DownloadInstruments(m.MusicSegment))
        return CloseFormOnError("music: the instruments of the tune %s could not be loaded", fileName);
}

void TForm1::MakeSegment_Start() { MakeSegment("Start.mid"); }
void TForm1::MakeSegment_Select() { MakeSegment("Select.mid"); }
void TForm1::MakeSegment_Fight1() { MakeSegment("Fighting1.mid"); }
void TForm1::MakeSegment_Fight2() { MakeSegment("Fighting2.mid"); }
void TForm1::MakeSegment_Fight3() { MakeSegment("Fighting3.mid"); }

void TForm1::PlayMusicSegment() {
    MusicObjects& m = devices.music;
    if (!m.musicPerformance || !m.MusicSegment) return;
    ReleaseState(devices, m);
    Service(devices).SetLoopPoints(m.MusicSegment, 0, 0);
    Service(devices).SetRepeats(m.MusicSegment, 65536);
    m.musicSegmentState = Service(devices).Play(m.MusicSegment);
}

void TForm1::StopMusicNow() {
    if (devices.music.musicPerformance) Service(devices).StopAll(false);
}

namespace {

// Each step looks again at what exists: a failed step closes the form, whose
// close handler may already have released the rest.
void StopAndReleaseTune(TForm1& form, bool atNextMeasure) {
    MusicObjects& m = form.devices.music;
    if (m.musicPerformance && !Service(form.devices).StopAll(atNextMeasure)) form.CloseFormOnError("music: the tunes would not stop");
    if (m.MusicSegment && !Service(form.devices).UnloadInstruments(m.MusicSegment))
        form.CloseFormOnError("music: the instruments of the tune %s could not be unloaded", m.tuneFile ? m.tuneFile : "");
    if (m.MusicSegment) {
        Service(form.devices).ReleaseSegment(m.MusicSegment);
        m.MusicSegment = nullptr;
    }
    ReleaseState(form.devices, m);
}

}  // namespace

void TForm1::EndSegment() { StopAndReleaseTune(*this, true); }

void TForm1::EndDirectMusic() {
    MusicObjects& m = devices.music;
    StopAndReleaseTune(*this, false);
    if (m.musicPerformance) {
        if (!Service(devices).CloseDown()) CloseFormOnError("music: the performance would not close down");
        Service(devices).ReleasePerformance();
        m.musicPerformance = false;
    }
    if (m.musicLoader) {
        Service(devices).ReleaseLoader();
        m.musicLoader = false;
    }
    m.directMusic = false;
    if (m.started) {
        Service(devices).Stop();
        m.started = false;
    }
}
