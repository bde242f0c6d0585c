// A small offline synthesiser for the game's 8 kHz, 8-bit sounds: oscillators,
// noise, filters and the conversion to a RIFF/WAVE image. Everything is
// deterministic: noise comes from seeded generators, never from the clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assets {

constexpr int kRate = 8000;
constexpr double kPi = 3.14159265358979323846;

using Signal = std::vector<float>;

int Samples(double seconds);
double KeyHz(double midiKey);

// xorshift32: the same seed gives the same noise on every build.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    float White();                        // -1 .. 1
    float Uniform(float low, float high);
    bool Chance(double probability);
private:
    std::uint32_t state_;
};

// A phase accumulator; saw and pulse are band-limited (polyBLEP) so bright
// notes do not fold back into harsh aliases at this low rate.
class Osc {
public:
    float Sine(double hz);
    float Saw(double hz);
    float Pulse(double hz, double duty);
    float Triangle(double hz);
private:
    double Advance(double hz);
    double phase_ = 0;
};

// Zero-delay state-variable filter: stable for any cutoff below Nyquist, so
// sweeps can run right up to the top of the band.
class Svf {
public:
    struct Out { float low, band, high; };
    Out Run(float x, double cutoffHz, double q);
private:
    float ic1_ = 0, ic2_ = 0;
};

// Envelopes over time t in seconds.
float Decay(double t, double tau);
float AttackDecay(double t, double attack, double tau);
float Gate(double t, double length, double attack, double release);

// A delay line with feedback, for echoes and rolling tails.
void Echo(Signal& s, double delaySeconds, float feedback, float mix);
void FadeOut(Signal& s, double seconds);
void Mix(Signal& into, const Signal& from, std::size_t at, float gain, bool wrap);

// Scaled to the given peak, softly limited and quantised; 0x80 is silence.
std::vector<std::uint8_t> ToPcm8(const Signal& s, float peak = 0.92f);

// "RIFF" len "WAVE", "fmt " (18: PCM, mono, 8 kHz, 8 bits), "fact" (samples), "data".
std::vector<std::uint8_t> WaveImage(const std::vector<std::uint8_t>& pcm);

}  // namespace assets
