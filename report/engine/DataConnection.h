#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the engine sees of data: a named connection that lists its fields and walks its records.
// Text is in the engine's single-byte character set (Windows-1252).
namespace kodexa::report {

enum class ConnectionFieldType { String, Integer, Other };

struct ConnectionField {
    std::string name;
    ConnectionFieldType type = ConnectionFieldType::String;
    std::size_t size = 0;
};

struct ConnectionValue {
    std::optional<std::string> value; // nullopt: the record holds no value
    std::string displayText;          // what prints
};

class DataConnection {
public:
    virtual ~DataConnection() = default;

    virtual std::string_view name() const = 0;

    // open() prepares the walk; restore() puts the data back as open() found it. The engine calls
    // restore() after every open(), whether the walk finished, was cancelled or failed.
    virtual void open() = 0;
    virtual void restore() = 0;

    virtual std::vector<ConnectionField> fields() const = 0;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool atEnd() = 0;
    // One value per field, in the order of fields().
    virtual void currentRow(std::vector<ConnectionValue>& values) const = 0;
};

} // namespace kodexa::report
