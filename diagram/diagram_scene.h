// The diagram's objects as a picture scene: the states in list order, one link per
// transition object whose two states exist.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_SCENE_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_SCENE_H

#include "diagram/picture/scene.h"

enum class SceneColours {
    Shown,     // as the window shows them: selected states white and ringed
    Severity   // every state in its severity's colour, no selection shown
};

// Also moves each drawn transition object to its label's corner, which the hit test uses.
picture::Scene diagram_scene(SceneColours colours = SceneColours::Shown);

#endif
