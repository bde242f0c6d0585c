#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace assets {

int Samples(double seconds) { return static_cast<int>(std::lround(seconds * kRate)); }

double KeyHz(double midiKey) { return 440.0 * std::pow(2.0, (midiKey - 69.0) / 12.0); }

float Noise::White() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ / 2147483648.0 - 1.0);
}

float Noise::Uniform(float low, float high) { return low + (high - low) * (White() + 1.0f) * 0.5f; }

bool Noise::Chance(double probability) { return (White() + 1.0) * 0.5 < probability; }

namespace {

// The residual that smooths a naive step at a phase wrap.
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

}  // namespace

double Osc::Advance(double hz) {
    const double dt = std::clamp(hz / kRate, 0.0, 0.49);
    phase_ += dt;
    if (phase_ >= 1.0) phase_ -= 1.0;
    return dt;
}

float Osc::Sine(double hz) {
    const double p = phase_;
    Advance(hz);
    return static_cast<float>(std::sin(2.0 * kPi * p));
}

float Osc::Saw(double hz) {
    const double p = phase_;
    const double dt = Advance(hz);
    return static_cast<float>(2.0 * p - 1.0 - PolyBlep(p, std::max(dt, 1e-6)));
}

float Osc::Pulse(double hz, double duty) {
    const double p = phase_;
    const double dt = std::max(Advance(hz), 1e-6);
    double v = p < duty ? 1.0 : -1.0;
    v += PolyBlep(p, dt);
    v -= PolyBlep(std::fmod(p + 1.0 - duty, 1.0), dt);
    return static_cast<float>(v);
}

float Osc::Triangle(double hz) {
    const double p = phase_;
    Advance(hz);
    return static_cast<float>(p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p);
}

Svf::Out Svf::Run(float x, double cutoffHz, double q) {
    const double g = std::tan(kPi * std::clamp(cutoffHz, 10.0, kRate * 0.45) / kRate);
    const double k = 1.0 / std::max(q, 0.1);
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = x - ic2_;
    const double v1 = a1 * ic1_ + a2 * v3;
    const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
    ic1_ = static_cast<float>(2.0 * v1 - ic1_);
    ic2_ = static_cast<float>(2.0 * v2 - ic2_);
    return {static_cast<float>(v2), static_cast<float>(v1), static_cast<float>(x - k * v1 - v2)};
}

float Decay(double t, double tau) { return t < 0 ? 0.0f : static_cast<float>(std::exp(-t / tau)); }

float AttackDecay(double t, double attack, double tau) {
    if (t < 0) return 0.0f;
    if (t < attack) return static_cast<float>(t / attack);
    return Decay(t - attack, tau);
}

float Gate(double t, double length, double attack, double release) {
    if (t < 0 || t >= length + release) return 0.0f;
    const double rise = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    const double fall = t > length ? 1.0 - (t - length) / release : 1.0;
    return static_cast<float>(rise * fall);
}

void Echo(Signal& s, double delaySeconds, float feedback, float mix) {
    const auto d = static_cast<std::size_t>(std::max(1, Samples(delaySeconds)));
    std::vector<float> line(d, 0.0f);
    for (std::size_t i = 0; i < s.size(); ++i) {
        float& slot = line[i % d];
        const float delayed = slot;
        slot = s[i] + feedback * delayed;
        s[i] += mix * delayed;
    }
}

void FadeOut(Signal& s, double seconds) {
    const auto n = std::min<std::size_t>(s.size(), static_cast<std::size_t>(Samples(seconds)));
    for (std::size_t i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(n);  // 0 at the very end
        s[s.size() - 1 - i] *= static_cast<float>(x * x);
    }
}

void Mix(Signal& into, const Signal& from, std::size_t at, float gain, bool wrap) {
    if (into.empty()) return;
    for (std::size_t j = 0; j < from.size(); ++j) {
        std::size_t i = at + j;
        if (i >= into.size()) {
            if (!wrap) break;
            i %= into.size();
        }
        into[i] += gain * from[j];
    }
}

std::vector<std::uint8_t> ToPcm8(const Signal& s, float peak) {
    float top = 0.0f;
    for (float x : s) top = std::max(top, std::fabs(x));
    const float gain = top > 0.0f ? peak / top : 0.0f;
    std::vector<std::uint8_t> pcm(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const long v = std::lround(128.0 + 127.0 * gain * s[i]);
        pcm[i] = static_cast<std::uint8_t>(std::clamp(v, 1L, 255L));
    }
    return pcm;
}

namespace {

void Put(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

std::vector<std::uint8_t> WaveImage(const std::vector<std::uint8_t>& pcm) {
    const auto samples = static_cast<std::uint32_t>(pcm.size());
    std::vector<std::uint8_t> out;
    out.reserve(pcm.size() + 60);
    Put(out, "RIFF");
    Put32(out, 0);  // patched below, once the size is known
    Put(out, "WAVE");
    Put(out, "fmt ");
    Put32(out, 18);
    Put16(out, 1);       // PCM
    Put16(out, 1);       // mono
    Put32(out, kRate);   // samples per second
    Put32(out, kRate);   // bytes per second
    Put16(out, 1);       // block align
    Put16(out, 8);       // bits per sample
    Put16(out, 0);       // no extra format bytes
    Put(out, "fact");
    Put32(out, 4);
    Put32(out, samples);
    Put(out, "data");
    Put32(out, samples);
    out.insert(out.end(), pcm.begin(), pcm.end());
    if (samples & 1u) out.push_back(0x80);  // RIFF chunks start on even offsets
    const auto riff = static_cast<std::uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
    return out;
}

}  // namespace assets
