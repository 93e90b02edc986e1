// The two modes of the main window's right half: store (commerce buttons) and
// library (the file area of an owned product).
#pragma once

namespace orvane {

enum class PanelMode { Store, Library };

void setPanelMode(PanelMode mode);

}  // namespace orvane
