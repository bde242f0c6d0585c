// Music: one current tune from a Standard MIDI File, looping until the next
// stage change. Every failure here closes the form without a message.
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
    if (!(m.started = Service(devices).Start())) return CloseForm();
    if (!(m.musicPerformance = Service(devices).CreatePerformance())) return CloseForm();
    if (!(m.directMusic = Service(devices).InitialisePerformance())) return CloseForm();
    if (!(m.musicLoader = Service(devices).CreateLoader())) return CloseForm();

    // Tunes are looked up where the game was started, wherever it goes later.
    const std::string directory = devices.services.system->CurrentDirectory();
    if (directory.empty()) return CloseForm();
    Service(devices).SetSearchDirectory(directory);

    if (!Service(devices).AddDefaultPort()) return CloseForm();
}

void TForm1::MakeSegment(const char* fileName) {
    MusicObjects& m = devices.music;
    m.MusicSegment = m.musicLoader ? Service(devices).LoadSegment(fileName) : nullptr;
    if (!m.MusicSegment) return CloseForm();
    if (!Service(devices).MarkStandardMidi(m.MusicSegment)) return CloseForm();
    if (!Service(devices).DownloadInstruments(m.MusicSegment)) return CloseForm();
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
    if (m.musicPerformance && !Service(form.devices).StopAll(atNextMeasure)) form.CloseForm();
    if (m.MusicSegment && !Service(form.devices).UnloadInstruments(m.MusicSegment)) form.CloseForm();
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
        if (!Service(devices).CloseDown()) CloseForm();
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
