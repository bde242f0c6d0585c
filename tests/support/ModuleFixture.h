// Test access to robot modules the way the game reaches them: dlopen by path,
// exports by name, records on the heap as the game state holds them.
#pragma once

#include "RobotModule.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

class LoadedModule {
public:
    explicit LoadedModule(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedModule() { Unload(); }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    void Unload() {
        if (handle_) dlclose(handle_);
        handle_ = nullptr;
    }

    template <typename Fn>
    Fn* Export(const char* name) const {
        return handle_ ? reinterpret_cast<Fn*>(dlsym(handle_, name)) : nullptr;
    }

private:
    void* handle_;
};

// A record on the heap, every byte set to `fill` (the game state is zero-filled;
// tests use other bytes to see what an export leaves alone).
template <typename Record>
std::unique_ptr<Record> FilledRecord(unsigned char fill) {
    auto record = std::make_unique<Record>();
    std::memset(static_cast<void*>(record.get()), fill, sizeof(Record));
    return record;
}

template <typename Record>
const unsigned char* BytesOf(const Record& record) {
    return reinterpret_cast<const unsigned char*>(&record);
}

// Offsets of the bytes an operation writes: it runs on two records pre-filled
// with different bytes; a byte it writes ends equal in both, one it leaves
// alone keeps the two fills apart.
template <typename Record, typename Operation>
std::vector<bool> WrittenBytes(Operation&& operation) {
    auto a = FilledRecord<Record>(0xA5);
    auto b = FilledRecord<Record>(0x5A);
    operation(*a);
    operation(*b);
    std::vector<bool> written(sizeof(Record));
    for (std::size_t i = 0; i < sizeof(Record); ++i) written[i] = BytesOf(*a)[i] == BytesOf(*b)[i];
    return written;
}

// Marks the bytes of `field` (a member of `record`) in a mask of the record's size.
template <typename Record, typename Field>
void MarkField(std::vector<bool>& mask, const Record& record, const Field& field) {
    const std::size_t at = BytesOf(field) - BytesOf(record);
    for (std::size_t i = 0; i < sizeof(Field); ++i) mask[at + i] = true;
}

// First offset where two masks disagree, or -1.
inline long FirstMismatch(const std::vector<bool>& actual, const std::vector<bool>& expected) {
    for (std::size_t i = 0; i < actual.size(); ++i)
        if (actual[i] != expected[i]) return static_cast<long>(i);
    return -1;
}

// Where a phase lies in its table, for messages and walks.
struct PhasePlace {
    int plane, track, phase;
    auto operator<=>(const PhasePlace&) const = default;
};

inline PhasePlace PlaceOf(const ShotTrackTable& table, const ShotPhase& phase) {
    const Link offset = MakeLink(table, phase);
    const int index = static_cast<int>(offset / sizeof(ShotPhase));
    return {index / (kTracksPerPlane * kPhasesPerTrack), index / kPhasesPerTrack % kTracksPerPlane,
            index % kPhasesPerTrack};
}

// Every phase a shot can reach from `starts` through launch, next, hit and
// (in steered phases) steer links. A link that leaves the table fails the test.
inline std::set<PhasePlace> ReachablePhases(const ShotTrackTable& table, std::vector<PhasePlace> starts) {
    std::set<PhasePlace> seen(starts.begin(), starts.end());
    while (!starts.empty()) {
        const PhasePlace at = starts.back();
        starts.pop_back();
        const ShotPhase& phase = table.planes[at.plane][at.track].phases[at.phase];
        std::vector<Link> links(std::begin(phase.launchLinks), std::end(phase.launchLinks));
        if (phase.shotMode == ShotSteered) links.insert(links.end(), std::begin(phase.steerLinks), std::end(phase.steerLinks));
        if (phase.nextPhase != kNoLink) links.push_back(phase.nextPhase);
        if (phase.hitPhase != kNoLink) links.push_back(phase.hitPhase);
        for (Link link : links) {
            const ShotPhase* target = ResolveLink<ShotPhase>(table, link);
            if (!target) {
                ADD_FAILURE() << "link " << link << " of plane " << at.plane << " track " << at.track << " phase "
                              << at.phase << " leaves the table";
                continue;
            }
            const PhasePlace place = PlaceOf(table, *target);
            if (seen.insert(place).second) starts.push_back(place);
        }
    }
    return seen;
}

#ifdef BRAKON_PATH
inline const char* BrakonPath() { return BRAKON_PATH; }
#endif
