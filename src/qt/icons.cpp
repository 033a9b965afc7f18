#include "qt/icons.h"

#include <QString>
#include <array>

#include "ui/controller/file_list_rows.h"

// The images live in a static library, whose resources only register when asked to.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace qtui {

namespace {

QIcon FromResource(const char* name) {
    static const bool registered = (RegisterIconResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}

}  // namespace

QIcon SmallIcon(int index) {
    // In the order of the controller's image indexes (kImageFolderUnlisted .. kImageHintSecond).
    static const std::array<const char*, 11> kNames{
        "folder_unlisted", "folder", "folder_open", "file",        "host_found", "host_local",
        "share",           "upload", "download",    "host_manual", "hint_second"};
    static_assert(ui::kImageHintSecond + 1 == kNames.size());
    if (index < 0 || index >= static_cast<int>(kNames.size())) return {};
    static std::array<QIcon, kNames.size()> cache;
    QIcon& icon = cache[static_cast<std::size_t>(index)];
    if (icon.isNull()) icon = FromResource(kNames[static_cast<std::size_t>(index)]);
    return icon;
}

QIcon ToolbarIcon(ToolbarImage image) {
    const char* normal = "tb_add_share";
    const char* hot = "tb_add_share_hot";
    if (image == ToolbarImage::Options) {
        normal = "tb_options";
        hot = "tb_options_hot";
    } else if (image == ToolbarImage::Up) {
        normal = "tb_up";
        hot = "tb_up_hot";
    }
    QIcon icon = FromResource(normal);
    const QString hotFile = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(hot));
    icon.addFile(hotFile, QSize(24, 24), QIcon::Active);
    return icon;
}

QIcon ApplicationIcon() {
    return FromResource("app");
}

QIcon DialogIcon(DialogImage image) {
    switch (image) {
        case DialogImage::Computer:
            return FromResource("host_local");
        case DialogImage::Share:
            return FromResource("share");
        case DialogImage::Sound:
            return FromResource("sound");
        case DialogImage::WizardSide:
            return FromResource("wizard_side");
        case DialogImage::Splash:
            return FromResource("splash");
    }
    return {};
}

}  // namespace qtui
