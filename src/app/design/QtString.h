#pragma once

#include <QString>

#include <string>

namespace kelvora {

// The engine's text, which is UTF-8, as Qt draws it.
inline QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace kelvora
