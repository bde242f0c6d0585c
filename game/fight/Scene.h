// What a drawer is given besides its canvas, and what it reports back. A
// drawer reads the state and paints with the start-up's pens and brushes; it
// reaches no device but the canvas of the frame.
#pragma once

#include "Devices.h"
#include "GameState.h"

struct Scene {
    const FormState& state;
    const Paints& paints;
    int joySet1, joySet2;  // shown on the start screen
};

// Robot definitions a drawer found empty; the frame answers each with the
// module message and a return to the start screen, after the drawing.
struct DrawReport {
    int missingDefinitions = 0;
};
