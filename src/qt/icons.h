// The program's own images, compiled in from SVG: the small images that the controller names by
// index (tree, file list, transfer list), the toolbar's normal and hot images, and the
// application icon.
#pragma once

#include <QIcon>

namespace qtui {

// An image of the small list by the controller's index; a null icon for an unknown index.
QIcon SmallIcon(int index);

enum class ToolbarImage { AddShare, Options, Up };
// Normal image, with the hot one as the icon's active (hovered) mode.
QIcon ToolbarIcon(ToolbarImage image);

QIcon ApplicationIcon();

}  // namespace qtui
