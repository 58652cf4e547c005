#pragma once

// Q(text): a standard string as a QString, the short form the windows' files use.

#include <QString>
#include <string>

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
