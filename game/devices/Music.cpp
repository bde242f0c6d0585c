// Music: one current tune from a Standard MIDI File, looping until the next
// stage change. Every failure here closes the form without a message.
#include "Devices.h"
#include "GameState.h"

namespace {

platform::Music& Service() { return *devices.services.music; }

void ReleaseState(MusicObjects& m) {
    if (!m.musicSegmentState) return;
    Service().ReleaseState(m.musicSegmentState);
    m.musicSegmentState = nullptr;
}

}  // namespace

void TForm1::StartDirectMusic() {
    MusicObjects& m = devices.music;
    if (!(m.started = Service().Start())) return CloseForm();
    if (!(m.musicPerformance = Service().CreatePerformance())) return CloseForm();
    if (!(m.directMusic = Service().InitialisePerformance())) return CloseForm();
    if (!(m.musicLoader = Service().CreateLoader())) return CloseForm();

    // Tunes are looked up where the game was started, wherever it goes later.
    const std::string directory = devices.services.system->CurrentDirectory();
    if (directory.empty()) return CloseForm();
    Service().SetSearchDirectory(directory);

    if (!Service().AddDefaultPort()) return CloseForm();
}

void TForm1::MakeSegment(const char* fileName) {
    MusicObjects& m = devices.music;
    m.MusicSegment = m.musicLoader ? Service().LoadSegment(fileName) : nullptr;
    if (!m.MusicSegment) return CloseForm();
    if (!Service().MarkStandardMidi(m.MusicSegment)) return CloseForm();
    if (!Service().DownloadInstruments(m.MusicSegment)) return CloseForm();
}

void TForm1::MakeSegment_Start() { MakeSegment("Start.mid"); }
void TForm1::MakeSegment_Select() { MakeSegment("Select.mid"); }
void TForm1::MakeSegment_Fight1() { MakeSegment("Fighting1.mid"); }
void TForm1::MakeSegment_Fight2() { MakeSegment("Fighting2.mid"); }
void TForm1::MakeSegment_Fight3() { MakeSegment("Fighting3.mid"); }

void TForm1::PlayMusicSegment() {
    MusicObjects& m = devices.music;
    if (!m.musicPerformance || !m.MusicSegment) return;
    ReleaseState(m);
    Service().SetLoopPoints(m.MusicSegment, 0, 0);
    Service().SetRepeats(m.MusicSegment, 65536);
    m.musicSegmentState = Service().Play(m.MusicSegment);
}

void TForm1::StopMusicNow() {
    if (devices.music.musicPerformance) Service().StopAll(false);
}

namespace {

// Each step looks again at what exists: a failed step closes the form, whose
// close handler may already have released the rest.
void StopAndReleaseTune(TForm1& form, bool atNextMeasure) {
    MusicObjects& m = devices.music;
    if (m.musicPerformance && !Service().StopAll(atNextMeasure)) form.CloseForm();
    if (m.MusicSegment && !Service().UnloadInstruments(m.MusicSegment)) form.CloseForm();
    if (m.MusicSegment) {
        Service().ReleaseSegment(m.MusicSegment);
        m.MusicSegment = nullptr;
    }
    ReleaseState(m);
}

}  // namespace

void TForm1::EndSegment() { StopAndReleaseTune(*this, true); }

void TForm1::EndDirectMusic() {
    MusicObjects& m = devices.music;
    StopAndReleaseTune(*this, false);
    if (m.musicPerformance) {
        if (!Service().CloseDown()) CloseForm();
        Service().ReleasePerformance();
        m.musicPerformance = false;
    }
    if (m.musicLoader) {
        Service().ReleaseLoader();
        m.musicLoader = false;
    }
    m.directMusic = false;
    if (m.started) {
        Service().Stop();
        m.started = false;
    }
}
