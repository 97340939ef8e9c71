// The two selections of the diagram: button 1 picks the first state, button 2 the second.
// An object is painted as unselected only once neither selection holds it.
#ifndef TARNWRIGHT_DIAGRAM_DIAGRAM_SELECTION_H
#define TARNWRIGHT_DIAGRAM_DIAGRAM_SELECTION_H

class DiagramObject;

// Button 1 on an object: a state becomes the first selection; anything else (or nothing)
// clears both selections.
void choose_first(DiagramObject* hit);
// Button 2 on an object while a first selection exists: a state becomes the second
// selection, or stops being it when it already is. Anything else changes nothing.
void choose_second(DiagramObject* hit);
void clear_selections();

#endif
