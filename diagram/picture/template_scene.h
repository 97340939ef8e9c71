// A stored template's diagram as the editor shows it on opening: states at their own
// positions or on the slots, all arranged when states placed by slots overlap.
#ifndef TARNWRIGHT_DIAGRAM_PICTURE_TEMPLATE_SCENE_H
#define TARNWRIGHT_DIAGRAM_PICTURE_TEMPLATE_SCENE_H

#include <map>
#include <string>

#include "diagram/picture/scene.h"
#include "varo/store.h"

namespace picture {

// colours: severity name -> X colour name; a state whose severity is missing is black.
Scene template_scene(const varo::TemplateDef& def, const std::map<std::string, std::string>& colours);

}  // namespace picture

#endif
