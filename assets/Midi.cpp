#include "Midi.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assets {
namespace {

struct Event {
    std::uint32_t tick;
    int order;  // at one tick: set-up first, then note-offs, then note-ons
    std::vector<std::uint8_t> bytes;
};

void PutVarLength(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<std::uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v);
    while (n-- > 0) out.push_back(static_cast<std::uint8_t>(groups[n] | (n ? 0x80 : 0)));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

Event Meta(std::uint32_t tick, std::uint8_t type, std::vector<std::uint8_t> data) {
    std::vector<std::uint8_t> bytes{0xFF, type};
    PutVarLength(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return {tick, 0, bytes};
}

Event Name(const std::string& text) { return Meta(0, 0x03, {text.begin(), text.end()}); }

void PutTrack(std::vector<std::uint8_t>& file, std::vector<Event> events, std::uint32_t end) {
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    events.push_back(Meta(end, 0x2F, {}));
    std::vector<std::uint8_t> body;
    std::uint32_t now = 0;
    for (const Event& e : events) {
        PutVarLength(body, e.tick - now);
        now = e.tick;
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    Put32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
}

}  // namespace

std::vector<std::uint8_t> WriteSmf(const MidiTune& tune) {
    const std::uint32_t end = tune.EndTick();
    std::vector<std::uint8_t> file{'M', 'T', 'h', 'd'};
    Put32(file, 6);
    file.insert(file.end(), {0, 1});  // format 1
    const auto tracks = static_cast<std::uint16_t>(tune.parts.size() + 1);
    file.insert(file.end(), {static_cast<std::uint8_t>(tracks >> 8), static_cast<std::uint8_t>(tracks)});
    file.insert(file.end(), {static_cast<std::uint8_t>(tune.division >> 8), static_cast<std::uint8_t>(tune.division)});

    const auto micros = static_cast<std::uint32_t>(std::lround(60'000'000.0 / tune.beatsPerMinute));
    int unitPower = 0;
    while ((1 << unitPower) < tune.beatUnit) ++unitPower;
    // A compound metre (6/8) clicks on the dotted quarter.
    const std::uint8_t clocks = tune.beatUnit == 8 && tune.barBeats % 3 == 0 ? 36 : 96 / tune.beatUnit;
    PutTrack(file,
             {Name(tune.name),
              Meta(0, 0x58, {tune.barBeats, static_cast<std::uint8_t>(unitPower), clocks, 8}),
              Meta(0, 0x51, {static_cast<std::uint8_t>(micros >> 16), static_cast<std::uint8_t>(micros >> 8),
                             static_cast<std::uint8_t>(micros)})},
             end);

    for (const MidiPart& part : tune.parts) {
        const std::uint8_t ch = part.channel & 0x0F;
        std::vector<Event> events{Name(part.name)};
        if (ch != 9) events.push_back({0, 0, {static_cast<std::uint8_t>(0xC0 | ch), part.program}});
        const double volume = std::round(part.volume * std::pow(10.0, tune.levelDb / 40));
        events.push_back({0, 0, {static_cast<std::uint8_t>(0xB0 | ch), 7, static_cast<std::uint8_t>(std::clamp(volume, 1.0, 127.0))}});
        events.push_back({0, 0, {static_cast<std::uint8_t>(0xB0 | ch), 10, part.pan}});
        for (const MidiNote& n : part.notes) {
            if (n.length == 0 || n.start + n.length > end)
                throw std::runtime_error(tune.name + ": a note of " + part.name + " does not fit the tune");
            events.push_back({n.start, 2, {static_cast<std::uint8_t>(0x90 | ch), n.key, n.velocity}});
            events.push_back({n.start + n.length, 1, {static_cast<std::uint8_t>(0x80 | ch), n.key, 0}});
        }
        PutTrack(file, std::move(events), end);
    }
    return file;
}

}  // namespace assets
