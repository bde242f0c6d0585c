// The Vazede motion graph: robot 1's, and with a few cells changed robots 5,
// 6 and 11's. Three weapons; node 48 is a byte copy of the neutral node 0.
#include "RobotKit.h"

namespace robotkit {
namespace {

// In writing order: chains 1-3, node 0 (then its copy), guard, stun.
// node, pose, canAct, canMove, frameCount, fires, canTurn, next, weapons 1-4, guard
constexpr NodeSpec kVazedeGraph[] = {
    {12, 1, 0, 1, 4, 0, 0, 13, {13, 13, 13, 13}, 13},
    {13, 1, 1, 1, 6, 1, 0, 14, {13, 14, 14, 14}, 14},
    {14, 1, 0, 1, 6, 0, 1, 0, {13, 0, 0, 0}, 0},
    {24, 2, 0, 1, 2, 0, 0, 25, {25, 25, 25, 25}, 25},
    {25, 2, 0, 1, 16, 1, 0, 26, {26, 26, 26, 26}, 26},
    {26, 2, 0, 1, 4, 0, 0, 0, {0, 0, 0, 0}, 0},
    {36, 3, 0, 1, 10, 0, 1, 37, {37, 37, 37, 37}, 37},
    {37, 3, 0, 0, 10, 1, 1, 38, {38, 38, 38, 38}, 38},
    {38, 3, 1, 1, 10, 0, 1, 0, {0, 0, 37, 0}, 0},
    {0, 0, 1, 1, 1, 0, 1, 0, {12, 24, 36, 48}, 60},
    {60, 5, 1, 0, 1, 0, 1, 0, {0, 0, 0, 0}, 60},
    {72, 6, 0, 1, 10, 0, 1, 0, {0, 0, 0, 0}, 0},
};

}  // namespace

void FillVazedeMotion(MotionGraph& graph, std::span<const NodeChange> changes) {
    WriteGraphCopy(graph, kVazedeGraph, changes);
}

}  // namespace robotkit
