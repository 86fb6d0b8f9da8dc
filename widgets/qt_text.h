// Text crosses between the logic (UTF-8 std::string) and the windows (QString) only here.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ostrevin::widgets {

inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace ostrevin::widgets
