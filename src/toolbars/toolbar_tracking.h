#pragma once
// The three modal mouse loops of a toolbar: moving it (into a dock, within or between docks, or
// floating), resizing a floating toolbar by re-wrapping its controls, and pressing the close
// button of its caption bar. Nothing changes until the loop accepts.
#include <windows.h>

#include "toolbars/drag_layout.h"

namespace morvane {

class TFlatToolbar;

// `press` is the point pressed, in the toolbar's client coordinates.
void TrackMove(TFlatToolbar& bar, POINT press);
void TrackResize(TFlatToolbar& bar, SizingEdge edge);
void TrackCloseButton(TFlatToolbar& bar);

// The primary work area (the whole primary screen when the system does not tell).
RECT ScreenWorkArea();

}  // namespace morvane
