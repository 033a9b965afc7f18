// The program's own images, compiled in from SVG: the small images that the controller names by
// index (tree, file list, transfer list), the toolbar's normal and hot images, the application
// icon and the pictures of the dialogs.
#pragma once

#include <QIcon>

namespace qtui {

// An image of the small list by the controller's index; a null icon for an unknown index.
QIcon SmallIcon(int index);

enum class ToolbarImage { AddShare, Options, Up };
// Normal image, with the hot one as the icon's active (hovered) mode.
QIcon ToolbarIcon(ToolbarImage image);

QIcon ApplicationIcon();

// The pictures of the dialogs, the wizard and the splash screen.
enum class DialogImage { Computer, Share, Sound, WizardSide, Splash };
QIcon DialogIcon(DialogImage image);

}  // namespace qtui
