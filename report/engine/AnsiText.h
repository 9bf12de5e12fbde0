#pragma once

#include <QString>

#include <string_view>

namespace kodexa::report {

// Text of the engine's single-byte character set (Windows-1252) as Unicode; the five bytes that
// the code page leaves undefined stand for themselves.
QString fromAnsi(std::string_view text);

} // namespace kodexa::report
