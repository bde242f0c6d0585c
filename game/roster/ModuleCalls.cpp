#include "ModuleCalls.h"

namespace {

// Runs the calls on `module`, which it may swap for the next module file;
// `current` follows it.
bool RunCalls(platform::System& system, platform::Module*& module, const char*& current, const RobotEntry& robot,
              const RobotRecords& records) {
    for (const ExportCall& call : robot.calls) {
        if (!call.name) break;
        if (call.kind == CallKind::NextModule) {
            system.UnloadModule(module);
            if (!(module = system.LoadModule(current = call.name))) return false;
            continue;
        }
        WeaponDescriptor* weapon = call.weapon ? &records.weapons[call.weapon - 1] : nullptr;
        ShotTrackTable* tracks = call.weapon ? &records.tracks[call.weapon - 1] : nullptr;
        if (call.kind == CallKind::Fillers) {
            for (const PathFiller& filler : kPathFillers) {
                auto* fill = reinterpret_cast<PathFillerExport*>(system.FindFunction(module, filler.name));
                if (!fill) return false;
                fill(filler.plane, tracks);
            }
            continue;
        }
        void* function = system.FindFunction(module, call.name);
        if (!function) return false;
        switch (call.kind) {
            case CallKind::Move: reinterpret_cast<MoveExport*>(function)(&records.robot, robot.speedBias); break;
            case CallKind::VidiruMove: reinterpret_cast<VidiruMoveExport*>(function)(&records.robot); break;
            case CallKind::Motion: reinterpret_cast<MotionExport*>(function)(&records.graph); break;
            default: reinterpret_cast<WeaponExport*>(function)(weapon, tracks); break;
        }
    }
    return true;
}

}  // namespace

const char* CallExports(platform::System& system, const RobotEntry& robot, const RobotRecords& records) {
    const char* current = robot.module;
    platform::Module* module = system.LoadModule(current);
    if (!module) return current;
    bool complete = false;
    try {
        complete = RunCalls(system, module, current, robot, records);
    } catch (...) {
        // A failing export ends the binding; what it wrote before stands.
    }
    if (module) system.UnloadModule(module);
    return complete ? nullptr : current;
}
