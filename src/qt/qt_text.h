// Texts between the controller (UTF-8 std::string, string ids) and Qt.
#pragma once

#include <QString>
#include <string>

#include "ui/text/ui_strings.h"

namespace qtui {

inline QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) {
    return text.toStdString();
}

inline QString Tr(ui::StringId id) {
    return QString::fromUtf8(ui::Text(id));
}

}  // namespace qtui
