// Arranging the diagram: every state laid out from the ground state down along the
// transitions, without two circles overlapping, on the canvas. Graphviz's layered layout
// (dot) does it where its work is known to be small and its picture fits the canvas; other
// templates get layers of their own, cut into rows and folded across the canvas, which take
// time in proportion to the template.
#ifndef TARNWRIGHT_DIAGRAM_PICTURE_ARRANGE_H
#define TARNWRIGHT_DIAGRAM_PICTURE_ARRANGE_H

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "diagram/picture/scene.h"

namespace picture {

struct ArrangeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What dot may be given, counted as states plus the layers each transition crosses (dot
// puts a point of its own on every layer a line passes). Its time grows faster than this
// count, so these keep it to a fraction of a second: Arrange waits for a busy cursor, opening
// a template waits for nothing.
enum : std::size_t { ARRANGE_WORK = 1200, OPENING_WORK = 300 };

// The corner of each state's square, in the order given. `root` (the ground state, when
// there is one) is put on the top layer; self-transitions do not count. The same input
// always gives the same layout. Throws ArrangeError when the layout library fails.
std::vector<Corner> arrange(const std::vector<std::string>& names, const std::vector<LinkIn>& links,
                            const std::string& root = "Ground", std::size_t work = ARRANGE_WORK);

// The layers alone, never dot: in time linear in the states and transitions.
std::vector<Corner> arrange_in_rows(const std::vector<std::string>& names, const std::vector<LinkIn>& links,
                                    const std::string& root = "Ground");

}  // namespace picture

#endif
