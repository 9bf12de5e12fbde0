#pragma once

#include <stdexcept>
#include <string>

namespace kodexa {

// An error of the table engine or its filter reader. The message is the complete text that the
// application's error report shows, in UTF-8 (code list text quoted in it is converted from
// Windows-1252 where the message is made); errors about a table carry its name ("ClientDataSet1: ").
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const std::string& message) : std::runtime_error(message) {}
};

// A packet that the reader refuses: damaged, truncated, foreign or of an unsupported version.
class PacketError : public DatabaseError {
public:
    explicit PacketError(const std::string& message) : DatabaseError(message) {}
};

} // namespace kodexa
