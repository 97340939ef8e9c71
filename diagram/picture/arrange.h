// Arranging the diagram: every state laid out by Graphviz's layered layout (dot), from the
// ground state down along the transitions, without two circles overlapping, on the canvas.
#ifndef TARNWRIGHT_DIAGRAM_PICTURE_ARRANGE_H
#define TARNWRIGHT_DIAGRAM_PICTURE_ARRANGE_H

#include <stdexcept>
#include <string>
#include <vector>

#include "diagram/picture/scene.h"

namespace picture {

struct ArrangeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The corner of each state's square, in the order given. `root` (the ground state, when
// there is one) is put on the top layer; self-transitions do not count. The same input
// always gives the same layout. Throws ArrangeError when the layout library fails.
std::vector<Corner> arrange(const std::vector<std::string>& names, const std::vector<LinkIn>& links,
                            const std::string& root = "Ground");

}  // namespace picture

#endif
