// The diagram's objects as a picture scene: the states in list order, one link per
// transition object whose two states exist.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_SCENE_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_SCENE_H

#include <optional>

#include "diagram/picture/scene.h"

class DiagramObject;

enum class SceneColours {
    Shown,     // as the window shows them: selected states white and ringed
    Severity   // every state in its severity's colour, no selection shown
};

// Also moves each drawn transition object to its label's corner, which the hit test uses.
picture::Scene diagram_scene(SceneColours colours = SceneColours::Shown);

// The scene the drawing area shows, kept between repaints: built anew only after the
// objects changed (an object added, removed or renamed, or forget_scene), so that an
// exposure, a scroll, a zoom or a click paints it without building it again.
const picture::Scene& shown_scene();
// The objects moved or changed in a way the list does not count: the next repaint builds.
void forget_scene();
// A selection came to or left this state: the kept scene takes the state's colour and rings
// from it, and the canvas box its picture covers, rings included, comes back. None when no
// scene is kept (the next repaint must build one) or the state is not in it.
std::optional<picture::Box> rechoose(const DiagramObject* state);

#endif
