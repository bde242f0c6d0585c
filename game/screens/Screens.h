// The drawers of the screens, each painting its stage into the canvas of the frame.
#pragma once

#include "Canvas.h"
#include "Scene.h"

// StartScreens.cpp: the start menus (stages 1-4), the robot selection, the versus screen.
// Where the select screen writes robot `robot`'s name (its chevrons 15 and 20
// pixels lower) in a list of `count` robots: the list stays on the picture.
std::int32_t SelectNameY(std::int32_t robot, int count);
DrawReport Draw_Start(const Scene& scene, platform::Canvas& dc);
DrawReport Draw_Select(const Scene& scene, platform::Canvas& dc);
DrawReport Draw_BS(const Scene& scene, platform::Canvas& dc);
// FightScreen.cpp: the fight intro, the fight and its end.
DrawReport Draw_FS(const Scene& scene, platform::Canvas& dc);
// ResultScreen.cpp: the survival result.
DrawReport Draw_Result(const Scene& scene, platform::Canvas& dc);
