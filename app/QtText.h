#pragma once

#include <QString>

#include <string>
#include <string_view>

// Code list text is Windows-1252 inside the program; it becomes a QString only where a widget
// shows it, and typed input becomes Windows-1252 once, where a handler reads it.
namespace kodexa {

QString toQString(std::string_view windows1252);
// Characters outside the code page become '?'.
std::string toWindows1252(const QString& text);

} // namespace kodexa
