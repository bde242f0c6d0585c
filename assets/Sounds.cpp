#include "Sounds.h"

#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace assets {
namespace {

double Time(int i) { return static_cast<double>(i) / kRate; }

// Normalise, then saturate: loud transients get weight without clipping.
void Drive(Signal& s, float amount) {
    float top = 0.0f;
    for (float x : s) top = std::max(top, std::fabs(x));
    if (top == 0.0f) return;
    for (float& x : s) x = std::tanh(amount * x / top);
}

// ---- impacts: a falling body thump, a closing noise burst, metal ring, debris

struct Impact {
    double thumpFrom, thumpTo, thumpTau;
    float thump;
    double noiseFrom, noiseTo, noiseTau;
    float noise;
    std::vector<double> ring;
    double ringTau;
    float ringGain;
    double crackle;  // debris clicks per second
    double echoDelay;
    float echoFeedback;
    float drive;
    std::uint32_t seed;
};

Signal MakeImpact(int n, const Impact& r) {
    Signal s(n);
    Noise rng(r.seed);
    Osc body;
    Svf burst;
    std::vector<Osc> ring(r.ring.size());
    float click = 0.0f;
    for (int i = 0; i < n; ++i) {
        const double t = Time(i);
        // A struck mass drops in pitch fast, then rings at its own.
        const double hz = r.thumpTo + (r.thumpFrom - r.thumpTo) * std::exp(-t / 0.04);
        float x = r.thump * AttackDecay(t, 0.002, r.thumpTau) * body.Sine(hz);
        const double cut = r.noiseTo + (r.noiseFrom - r.noiseTo) * std::exp(-t / (r.noiseTau * 0.8));
        x += r.noise * AttackDecay(t, 0.001, r.noiseTau) * burst.Run(rng.White(), cut, 0.9).low;
        for (std::size_t k = 0; k < ring.size(); ++k)
            x += r.ringGain * Decay(t, r.ringTau / (1.0 + 0.5 * k)) * ring[k].Sine(r.ring[k]);
        if (r.crackle > 0 && rng.Chance(r.crackle / kRate))
            click = rng.Uniform(0.3f, 1.0f) * Decay(t, r.noiseTau * 3);
        x += 0.5f * click * rng.White();
        click *= 0.93f;
        s[i] = x;
    }
    if (r.echoDelay > 0) Echo(s, r.echoDelay, r.echoFeedback, 0.6f);
    Drive(s, r.drive);
    FadeOut(s, 0.05);
    return s;
}

// ---- weapons

Signal Gunshot(int n) {
    Signal s(n);
    Noise rng(101);
    Svf crackFilter, bodyFilter;
    Osc tone;
    for (int i = 0; i < n; ++i) {
        const double t = Time(i);
        const float w = rng.White();
        const float crack = crackFilter.Run(w, 1800, 0.7).high * AttackDecay(t, 0.0005, 0.012);
        const float body = bodyFilter.Run(w, 250 + 1200 * std::exp(-t / 0.05), 1.2).low * AttackDecay(t, 0.001, 0.045);
        const float pop = 0.4f * Decay(t, 0.03) * tone.Pulse(110 + 700 * std::exp(-t / 0.02), 0.5);
        s[i] = 0.9f * crack + 1.2f * body + pop;
    }
    Drive(s, 2.0f);
    Echo(s, 0.045, 0.25f, 0.35f);  // a short slap off the arena walls
    FadeOut(s, 0.03);
    return s;
}

Signal Blaster(int n) {
    Signal s(n);
    Noise rng(202);
    Svf crackFilter;
    Osc zap, sub;
    for (int i = 0; i < n; ++i) {
        const double t = Time(i);
        const double hz = 150 + 2200 * std::exp(-t / 0.07);
        const float env = AttackDecay(t, 0.002, 0.14);
        const float buzz = static_cast<float>(0.6 + 0.4 * std::sin(2 * kPi * 60 * t));
        float x = env * buzz * zap.Pulse(hz, 0.3) + 0.4f * env * sub.Sine(hz * 0.5);
        x += 0.6f * Decay(t, 0.01) * crackFilter.Run(rng.White(), 3000, 0.7).low;
        s[i] = x;
    }
    Echo(s, 0.08, 0.3f, 0.4f);
    FadeOut(s, 0.04);
    return s;
}

Signal Cannon(int n) {
    return MakeImpact(n, {.thumpFrom = 110, .thumpTo = 48, .thumpTau = 0.35, .thump = 0.55f,
                          .noiseFrom = 3600, .noiseTo = 110, .noiseTau = 0.5, .noise = 1.1f,
                          .ring = {}, .ringTau = 1, .ringGain = 0,
                          .crackle = 35, .echoDelay = 0.21, .echoFeedback = 0.45f, .drive = 2.5f, .seed = 303});
}

Signal Missile(int n) {
    Signal s(n);
    Noise rng(404);
    Svf popFilter, roarFilter, rumbleFilter, awayFilter;
    Osc whine;
    for (int i = 0; i < n; ++i) {
        const double t = Time(i);
        const float w = rng.White();
        const float roarEnv = t < 0.12 ? static_cast<float>(t / 0.12) : t < 0.6 ? 1.0f : Decay(t - 0.6, 0.25);
        // The exhaust note climbs as the missile accelerates.
        const double centre = std::min(3200.0, 300.0 * std::pow(2.0, t * 2.4));
        float x = 1.2f * Decay(t, 0.03) * popFilter.Run(w, 2500, 0.7).low;
        x += roarEnv * roarFilter.Run(w, centre, 1.8).band;
        x += 1.5f * roarEnv * rumbleFilter.Run(w, 180, 0.8).low;
        x += 0.15f * roarEnv * whine.Sine(400 + 900 * t);
        // Flying away: the top of the sound goes first.
        const double away = 300 + 3500 * std::exp(-std::max(0.0, t - 0.5) / 0.4);
        s[i] = awayFilter.Run(x, away, 0.7).low;
    }
    Drive(s, 1.5f);
    FadeOut(s, 0.05);
    return s;
}

Signal PlasmaShot(int n) {
    constexpr double charge = 0.42;
    Signal s(n);
    Noise rng(505);
    Svf blastFilter;
    Osc c1, c2, drop, thump;
    for (int i = 0; i < n; ++i) {
        const double t = Time(i);
        float x = 0.0f;
        if (t < charge + 0.005) {  // the charge whines up...
            const double u = t / charge;
            const double hz = 180 * std::pow(9.0, std::min(u, 1.0)) * (1 + 0.02 * std::sin(2 * kPi * 28 * t));
            const float gate = t < charge ? 1.0f : static_cast<float>(1 - (t - charge) / 0.005);
            x += static_cast<float>(0.5 * u * u) * gate * (0.5f * c1.Pulse(hz, 0.5) + 0.5f * c2.Sine(hz * 1.01));
        }
        const double b = t - charge;  // ...and lets go
        if (b >= 0) {
            x += Decay(b, 0.25) * blastFilter.Run(rng.White(), 200 + 3300 * std::exp(-b / 0.15), 0.8).low;
            x += 0.7f * Decay(b, 0.2) * drop.Saw(60 + 1500 * std::exp(-b / 0.06));
            x += 0.5f * Decay(b, 0.2) * thump.Sine(55 + 85 * std::exp(-b / 0.04));
        }
        s[i] = x;
    }
    Echo(s, 0.12, 0.35f, 0.5f);
    Drive(s, 1.8f);
    FadeOut(s, 0.06);
    return s;
}

Signal Beam(int n) {
    Signal s(n);
    Osc a, b, buzz;
    Svf formant;
    const double length = Time(n);
    for (int i = 0; i < n; ++i) {
        const double t = Time(i);
        const double hz = 200 * std::pow(7.5, t / length);  // sweeps up
        const float saws = 0.5f * (a.Saw(hz) + b.Saw(hz * 1.012));
        const float x = saws * (0.55f + 0.45f * buzz.Pulse(73, 0.5));  // the buzz
        s[i] = Gate(t, length - 0.04, 0.004, 0.04) * (formant.Run(x, hz * 3, 1.2).band + 0.3f * x);
    }
    FadeOut(s, 0.005);
    return s;
}

Signal Acid(int n) {
    Signal s(n);
    Noise rng(606), flutterNoise(607);
    Svf hissFilter, flutterFilter;
    for (int i = 0; i < n; ++i) {
        const double t = Time(i);
        const float flutter = flutterFilter.Run(flutterNoise.White(), 12, 0.7).low;
        const float hiss = hissFilter.Run(rng.White(), 2200, 0.7).high;
        s[i] = 0.5f * AttackDecay(t, 0.03, 0.45) * (0.7f + 3.0f * flutter) * hiss;
    }
    // Bubbles: short rising chirps at random moments.
    const double length = Time(n);
    for (int k = 0; k < 18; ++k) {
        const double start = rng.Uniform(0.0f, static_cast<float>(length - 0.12));
        const double dur = rng.Uniform(0.025f, 0.06f);
        const double f0 = rng.Uniform(350, 1000);
        const float amp = rng.Uniform(0.5f, 1.0f) * Decay(start, 0.6);
        Signal bubble(Samples(dur));
        Osc o;
        for (int i = 0; i < static_cast<int>(bubble.size()); ++i) {
            const double u = Time(i) / dur;
            const double w = std::sin(kPi * u);
            bubble[i] = amp * static_cast<float>(w * w) * o.Sine(f0 * (1 + 1.6 * u));
        }
        Mix(s, bubble, static_cast<std::size_t>(Samples(start)), 0.7f, false);
    }
    FadeOut(s, 0.05);
    return s;
}

// ---- jingle instruments

enum class Voice { Bell, Brass, Pulse, Pluck, Bass };

Signal Note(double length, double key, Voice v) {
    const double hz = KeyHz(key);
    const double tail = v == Voice::Bell ? 0.6 : v == Voice::Pluck ? 0.25 : 0.08;
    Signal s(Samples(length + tail));
    Osc a, b, c, d;
    Svf f;
    // Bell partials above the band would fold back as false notes: leave them out.
    auto partial = [&](double ratio) { return hz * ratio < 3500 ? 1.0f : 0.0f; };
    for (int i = 0; i < static_cast<int>(s.size()); ++i) {
        const double t = Time(i);
        float x = 0.0f;
        switch (v) {
            case Voice::Bell:
                x = Decay(t, 0.5) * a.Sine(hz) + 0.5f * partial(2.0) * Decay(t, 0.25) * b.Sine(hz * 2.0) +
                    0.35f * partial(2.76) * Decay(t, 0.12) * c.Sine(hz * 2.76) +
                    0.2f * partial(5.4) * Decay(t, 0.06) * d.Sine(hz * 5.4);
                x *= static_cast<float>(std::min(1.0, t / 0.002));
                break;
            case Voice::Brass: {
                const double vib = 1 + 0.004 * std::sin(2 * kPi * 5.5 * t) * std::min(1.0, t / 0.2);
                const float saw = a.Saw(hz * vib) + 0.5f * b.Saw(hz * vib * 1.003);
                const float env = Gate(t, length, 0.03, 0.08);
                const double bright = 0.35 + 0.65 * Decay(t, 0.25);
                x = env * f.Run(saw, hz * (1.5 + 6 * bright * env), 0.8).low;
                break;
            }
            case Voice::Pulse:
                x = a.Pulse(hz, 0.25) * Gate(t, length, 0.003, 0.05) * (0.55f + 0.45f * Decay(t, 0.15));
                break;
            case Voice::Pluck:
                x = (0.6f * a.Triangle(hz) + 0.4f * b.Sine(hz * 2)) * AttackDecay(t, 0.002, 0.12);
                break;
            case Voice::Bass:
                x = Gate(t, length, 0.003, 0.02) * f.Run(a.Saw(hz), hz * (2 + 8 * Decay(t, 0.05)), 1.0).low;
                break;
        }
        s[i] = x;
    }
    FadeOut(s, 0.01);
    return s;
}

Signal Kick() {
    Signal s(Samples(0.3));
    Osc o;
    Noise rng(11);
    for (int i = 0; i < static_cast<int>(s.size()); ++i) {
        const double t = Time(i);
        s[i] = std::tanh(2.0f * (AttackDecay(t, 0.001, 0.09) * o.Sine(45 + 110 * std::exp(-t / 0.025)) +
                                 0.3f * AttackDecay(t, 0.001, 0.003) * rng.White()));
    }
    FadeOut(s, 0.02);
    return s;
}

Signal Snare() {
    Signal s(Samples(0.22));
    Osc o;
    Svf f;
    Noise rng(12);
    for (int i = 0; i < static_cast<int>(s.size()); ++i) {
        const double t = Time(i);
        s[i] = 1.4f * AttackDecay(t, 0.001, 0.06) * f.Run(rng.White(), 1900, 0.8).band +
               0.6f * AttackDecay(t, 0.001, 0.04) * o.Sine(185);
    }
    FadeOut(s, 0.02);
    return s;
}

Signal Hat(double tau) {
    Signal s(Samples(tau * 5));
    Svf f;
    Noise rng(13);
    for (int i = 0; i < static_cast<int>(s.size()); ++i)
        s[i] = AttackDecay(Time(i), 0.001, tau) * f.Run(rng.White(), 3400, 0.9).high;
    FadeOut(s, 0.005);
    return s;
}

Signal Timpani(double key) {
    const double hz = KeyHz(key);
    Signal s(Samples(1.0));
    Osc a, b;
    Svf f;
    Noise rng(14);
    for (int i = 0; i < static_cast<int>(s.size()); ++i) {
        const double t = Time(i);
        const double bend = 1 + 0.05 * std::exp(-t / 0.03);  // the skin settles after the stroke
        s[i] = AttackDecay(t, 0.002, 0.45) * (a.Sine(hz * bend) + 0.4f * b.Sine(hz * 1.5 * bend)) +
               0.6f * Decay(t, 0.02) * f.Run(rng.White(), 400, 0.7).low;
    }
    FadeOut(s, 0.05);
    return s;
}

Signal Cymbal(double tau) {
    Signal s(Samples(tau * 4));
    Svf f;
    Noise rng(15);
    Osc ring;
    for (int i = 0; i < static_cast<int>(s.size()); ++i) {
        const double t = Time(i);
        s[i] = AttackDecay(t, 0.003, tau) * (f.Run(rng.White(), 2500, 0.6).high * (0.8f + 0.2f * ring.Sine(1130)));
    }
    FadeOut(s, 0.05);
    return s;
}

void Put(Signal& s, double at, const Signal& what, float gain, bool wrap = false) {
    Mix(s, what, static_cast<std::size_t>(Samples(at)), gain, wrap);
}

void Chord(Signal& s, double at, double length, std::initializer_list<double> keys, Voice v, float gain) {
    for (double k : keys) Put(s, at, Note(length, k, v), gain);
}

// ---- jingles

Signal BeginFlourish(int n) {
    Signal s(n);
    const double run[] = {67, 72, 76, 79, 84};
    for (int k = 0; k < 5; ++k) Put(s, 0.05 * k, Note(0.07, run[k], Voice::Pulse), 0.5f);
    Chord(s, 0.26, 0.35, {72, 76, 79}, Voice::Brass, 0.3f);
    Chord(s, 0.26, 0.3, {84, 88, 91}, Voice::Bell, 0.35f);
    Put(s, 0.36, Note(0.1, 96, Voice::Bell), 0.3f);  // a sparkle on top
    Put(s, 0.42, Note(0.1, 91, Voice::Bell), 0.2f);
    FadeOut(s, 0.1);
    return s;
}

Signal SelectChime(int n) {
    Signal s(n);
    // A rising "ding-ding", the second carried by a warm chord underneath.
    Put(s, 0.0, Note(0.1, 83, Voice::Bell), 0.6f);
    Put(s, 0.09, Note(0.6, 88, Voice::Bell), 0.7f);
    Put(s, 0.09, Note(0.5, 76, Voice::Bell), 0.4f);
    Chord(s, 0.09, 0.3, {64, 68, 71}, Voice::Pluck, 0.45f);
    FadeOut(s, 0.12);
    return s;
}

// Sixteen steps rendered on a ring: a tail that runs past the end sounds at
// the start, so the loop joins without a seam.
Signal VersusBeat(int n) {
    Signal s(n);
    const double step = Time(n) / 16;
    const char* kick = "x..x..x.x.x..x..";
    const char* snare = "....x.......x.o.";
    const char* hats = "xoxoxoxoxoxoxoxo";
    const int bass[16] = {33, -1, 45, -1, 33, 33, -1, 36, -1, 33, -1, 40, 31, -1, 43, 40};
    const Signal k = Kick(), sn = Snare(), closed = Hat(0.012), open = Hat(0.05);
    for (int i = 0; i < 16; ++i) {
        const double at = i * step;
        if (kick[i] == 'x') Put(s, at, k, 1.0f, true);
        if (snare[i] != '.') Put(s, at, sn, snare[i] == 'x' ? 0.8f : 0.4f, true);
        Put(s, at, hats[i] == 'x' ? closed : open, hats[i] == 'x' ? 0.35f : 0.2f, true);
        if (bass[i] >= 0) Put(s, at, Note(step * 0.85, bass[i], Voice::Bass), 0.5f, true);
    }
    for (double key : {45.0, 52.0, 57.0}) Put(s, 0, Note(step * 0.8, key, Voice::Brass), 0.22f, true);
    for (double key : {43.0, 50.0, 55.0}) Put(s, 10 * step, Note(step * 0.8, key, Voice::Brass), 0.22f, true);
    return s;
}

Signal StartFanfare(int n) {
    Signal s(n);
    struct Step { double at, length, key; };
    // Two rising calls, the second a step higher, then the held chord.
    const Step calls[] = {{0.00, 0.14, 67}, {0.15, 0.14, 72}, {0.30, 0.14, 76}, {0.45, 0.40, 79},
                          {0.90, 0.14, 69}, {1.05, 0.14, 74}, {1.20, 0.14, 78}, {1.35, 0.40, 81}};
    for (const Step& c : calls) {
        Put(s, c.at, Note(c.length, c.key, Voice::Brass), 0.45f);
        Put(s, c.at, Note(c.length, c.key - 12, Voice::Brass), 0.25f);
    }
    Chord(s, 1.8, 1.4, {48, 60, 67, 72, 76, 79, 84}, Voice::Brass, 0.2f);
    Put(s, 0.0, Timpani(43), 0.6f);
    Put(s, 0.9, Timpani(45), 0.6f);
    Put(s, 1.8, Timpani(48), 0.8f);
    Put(s, 1.8, Cymbal(0.8), 0.3f);
    for (double t = 2.2; t < 3.0; t += 0.06)  // the roll swells into the last stroke
        Put(s, t, Timpani(43), static_cast<float>(0.12 + 0.4 * (t - 2.2) / 0.8));
    Put(s, 3.05, Timpani(36), 0.9f);
    Put(s, 3.05, Cymbal(0.4), 0.35f);
    FadeOut(s, 0.12);
    return s;
}

Signal FinishCadence(int n) {
    Signal s(n);
    // IV - V7 - I, the melody rising into the tonic.
    Chord(s, 0.00, 0.40, {65, 69, 72}, Voice::Brass, 0.25f);
    Put(s, 0.00, Note(0.40, 41, Voice::Brass), 0.4f);
    Put(s, 0.00, Note(0.40, 81, Voice::Brass), 0.35f);
    Chord(s, 0.45, 0.40, {67, 71, 74, 77}, Voice::Brass, 0.22f);
    Put(s, 0.45, Note(0.40, 43, Voice::Brass), 0.4f);
    Put(s, 0.45, Note(0.40, 83, Voice::Brass), 0.35f);
    Chord(s, 0.90, 0.85, {64, 67, 72}, Voice::Brass, 0.25f);
    Put(s, 0.90, Note(0.85, 36, Voice::Brass), 0.45f);
    Put(s, 0.90, Note(0.85, 84, Voice::Brass), 0.35f);
    Put(s, 0.90, Note(0.5, 84, Voice::Bell), 0.3f);
    Put(s, 0.90, Timpani(48), 0.6f);
    FadeOut(s, 0.15);
    return s;
}

}  // namespace

std::vector<GameSound> MakeGameSounds() {
    struct Recipe { const char* name; double seconds; Signal (*make)(int); };
    static const Recipe recipes[] = {
        {"HITTED1", 1.64, [](int n) {  // a heavy metal crash
             return MakeImpact(n, {.thumpFrom = 200, .thumpTo = 60, .thumpTau = 0.15, .thump = 0.6f,
                                   .noiseFrom = 3500, .noiseTo = 300, .noiseTau = 0.25, .noise = 0.8f,
                                   .ring = {523, 1187, 1613, 2260}, .ringTau = 0.5, .ringGain = 0.25f,
                                   .crackle = 25, .echoDelay = 0.11, .echoFeedback = 0.35f, .drive = 2.0f, .seed = 1});
         }},
        {"HITTED2", 0.70, [](int n) {  // a medium punch
             return MakeImpact(n, {.thumpFrom = 240, .thumpTo = 85, .thumpTau = 0.07, .thump = 0.7f,
                                   .noiseFrom = 3000, .noiseTo = 500, .noiseTau = 0.06, .noise = 0.9f,
                                   .ring = {890, 1950}, .ringTau = 0.12, .ringGain = 0.12f,
                                   .crackle = 0, .echoDelay = 0, .echoFeedback = 0, .drive = 2.2f, .seed = 2});
         }},
        {"HITTED3", 2.02, [](int n) {  // an explosion with falling debris
             return MakeImpact(n, {.thumpFrom = 130, .thumpTo = 50, .thumpTau = 0.3, .thump = 0.5f,
                                   .noiseFrom = 2500, .noiseTo = 150, .noiseTau = 0.6, .noise = 1.0f,
                                   .ring = {}, .ringTau = 1, .ringGain = 0,
                                   .crackle = 60, .echoDelay = 0.17, .echoFeedback = 0.4f, .drive = 2.5f, .seed = 3});
         }},
        {"HITTED4", 0.47, [](int n) {  // a light clank
             return MakeImpact(n, {.thumpFrom = 400, .thumpTo = 200, .thumpTau = 0.03, .thump = 0.5f,
                                   .noiseFrom = 3800, .noiseTo = 1500, .noiseTau = 0.03, .noise = 0.7f,
                                   .ring = {1480, 2350, 3120}, .ringTau = 0.09, .ringGain = 0.35f,
                                   .crackle = 0, .echoDelay = 0, .echoFeedback = 0, .drive = 1.5f, .seed = 4});
         }},
        {"ATTACK1", 0.25, Gunshot},
        {"ATTACK2", 0.47, Blaster},
        {"ATTACK3", 2.95, Cannon},
        {"ATTACK4", 1.21, Missile},
        {"ATTACK5", 1.49, PlasmaShot},
        {"BEAM", 0.25, Beam},
        {"ACID", 0.84, Acid},
        {"S_BEGIN", 0.84, BeginFlourish},
        {"S_SELECT", 0.90, SelectChime},
        {"S_BEAT", 2.56, VersusBeat},
        {"S_START", 3.44, StartFanfare},
        {"S_FINISH", 2.02, FinishCadence},
    };
    std::vector<GameSound> sounds;
    for (const Recipe& r : recipes) sounds.push_back({r.name, r.seconds, ToPcm8(r.make(Samples(r.seconds)))});
    return sounds;
}

// A bit of the fight music, played back as the disc spins down: the speed
// sags, the read head stutters back over what it just played, the samples
// coarsen, and it ends on a click.
std::vector<std::uint8_t> MakeDiscCut() {
    constexpr double kSpin = 1.1, kLength = 1.25;
    Signal music(Samples(2.0));
    const double arp[] = {57, 60, 64, 67, 69, 72};
    for (int k = 0; k * 0.09 < 1.9; ++k) Put(music, k * 0.09, Note(0.08, arp[k % 6], Voice::Pulse), 0.35f);
    for (double t = 0; t < 1.9; t += 0.36) Put(music, t, Note(0.3, 45, Voice::Bass), 0.5f);
    for (double t = 0; t < 1.9; t += 0.18) Put(music, t, Hat(0.015), 0.25f);

    Signal s(Samples(kLength));
    Noise rng(909);
    double pos = 0, nextGlitch = 0.06;
    float held = 0;
    for (int i = 0; i < Samples(kSpin); ++i) {
        const double t = Time(i);
        const double u = t / kSpin;
        if (t >= nextGlitch) {
            if (rng.Chance(0.5)) pos = std::max(0.0, pos - Samples(rng.Uniform(0.03f, 0.06f)));
            nextGlitch += rng.Uniform(0.05f, 0.11f);
        }
        const auto at = static_cast<std::size_t>(pos);
        const double frac = pos - static_cast<double>(at);
        const float x = at + 1 < music.size() ? static_cast<float>((1 - frac) * music[at] + frac * music[at + 1]) : 0.0f;
        pos += std::pow(1.0 - u, 1.6);  // the disc slows to a halt
        const int hold = 1 + static_cast<int>(6 * u);
        if (i % hold == 0) {
            const double levels = std::pow(2.0, 7.0 - 4.5 * u);
            held = static_cast<float>(std::round(x * levels) / levels);
        }
        s[i] = held * (t < 0.9 ? 1.0f : Decay(t - 0.9, 0.08));
    }
    Noise clickNoise(910);
    for (int i = 0; i < Samples(0.006); ++i)
        s[Samples(kSpin) + i] = 0.6f * Decay(Time(i), 0.0015) * clickNoise.White();
    // The pulse voice and the coarse steps leave the samples off centre; a
    // high pass takes the offset out, so the cut has no thump of its own.
    Svf centre;
    for (float& x : s) x = centre.Run(x, 30, 0.7).high;
    FadeOut(s, 0.02);
    // As loud as a hit or a shot, not a burst: the stutter stays loud
    // throughout, so a peak well under the other sounds' peaks gives it their level.
    return ToPcm8(s, 0.6f);
}

}  // namespace assets
