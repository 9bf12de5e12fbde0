#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The data packet: the byte layout in which the code list is carried in the executable and in
// which a closed table keeps its rows. All integers are little-endian, all text Windows-1252.
namespace kodexa {

namespace packet {
constexpr std::uint32_t Magic = 0xBDE01996;
constexpr std::uint16_t HighestVersion = 3;
constexpr std::uint32_t HeaderSize = 24;

// Type word: bits 0-15 size, 16-21 kind, then the flags below.
constexpr std::uint32_t KindSignedInt = 1;
constexpr std::uint32_t KindUnsignedInt = 2;
constexpr std::uint32_t KindString = 9;
constexpr std::uint32_t VaryingFlag = 0x00400000;
constexpr std::uint32_t ArrayFlag = 0x00800000;
constexpr std::uint32_t RoundtripFlag = 0x80000000;

constexpr std::uint32_t StringField = (KindString << 16) | VaryingFlag | 1; // 0x00490001
constexpr std::uint16_t RequiredFieldFlag = 4;

constexpr std::uint32_t sizeOf(std::uint32_t typeWord) {
    return typeWord & 0xFFFF;
}
constexpr std::uint32_t kindOf(std::uint32_t typeWord) {
    return (typeWord >> 16) & 0x3F;
}
} // namespace packet

// An attribute as stored: its value is kept as the raw bytes that follow the type word, so that
// writing a packet back reproduces it byte for byte.
struct PacketAttribute {
    std::string name;
    std::uint32_t typeWord = 0;
    std::string rawValue;

    static PacketAttribute unsignedInt(std::string name, std::uint16_t size, std::uint64_t value,
                                       bool roundtrip = false);
    static PacketAttribute signedInt(std::string name, std::uint16_t size, std::int64_t value,
                                     bool roundtrip = false);
    // A varying string with a 2-byte length prefix and a closing zero byte counted in the length.
    static PacketAttribute zeroTerminatedText(std::string name, std::string_view text,
                                              bool roundtrip = false);
    static PacketAttribute unsignedArray(std::string name, std::uint16_t elementSize,
                                         const std::vector<std::uint64_t>& elements);

    // The value of a single unsigned or signed integer attribute; nullopt for other kinds.
    std::optional<std::int64_t> integerValue() const;
    // The elements of an integer array attribute; empty for other kinds.
    std::vector<std::int64_t> integerElements() const;
};

struct PacketColumn {
    std::string name;
    std::uint32_t typeWord = packet::StringField;
    std::uint16_t flags = 0;
    std::vector<PacketAttribute> attributes;

    bool required() const { return (flags & packet::RequiredFieldFlag) != 0; }
    // The declared width in characters (attribute WIDTH), 0 when the packet gives none.
    std::size_t width() const;
    const PacketAttribute* attribute(std::string_view attributeName) const;
};

// Everything of a packet but its rows.
struct PacketSchema {
    std::vector<PacketColumn> columns;
    std::vector<PacketAttribute> attributes;

    // Field numbers counted from 1, from the packet attribute PRIMARY_KEY.
    std::vector<std::size_t> primaryKey() const;
    std::optional<std::size_t> columnIndex(std::string_view name) const;
};

using FieldValue = std::optional<std::string_view>; // nullopt: the row holds no value

// The rows of a table, stored once: every value lives in one text buffer and a row is a run of
// cells into it, so views and orders are vectors of row numbers and never copy a record.
class RowStore {
public:
    explicit RowStore(std::size_t columnCount = 0) : columnCount_(columnCount) {}

    std::size_t columnCount() const { return columnCount_; }
    std::size_t rowCount() const { return columnCount_ == 0 ? 0 : cells_.size() / columnCount_; }

    FieldValue value(std::size_t row, std::size_t column) const {
        const Cell& cell = cells_[row * columnCount_ + column];
        if (cell.length == NullLength)
            return std::nullopt;
        return std::string_view(text_).substr(cell.offset, cell.length);
    }

    void appendRow(std::span<const FieldValue> values);
    void reserve(std::size_t rows, std::size_t textBytes);

private:
    friend class PacketReader;
    static constexpr std::uint32_t NullLength = 0xFFFFFFFF;
    struct Cell {
        std::uint32_t offset;
        std::uint32_t length;
    };

    std::size_t columnCount_;
    std::string text_;
    std::vector<Cell> cells_;
};

struct DataPacket {
    std::uint16_t majorVersion = 1;
    std::uint16_t minorVersion = 0;
    PacketSchema schema;
    RowStore rows;
};

// Reading trusts nothing: every length and count is checked against the bytes that are there,
// and whatever the reader does not support is refused with a PacketError.
DataPacket readPacket(std::span<const std::byte> packet);
// A carried block: a 4-byte length, then that many bytes of packet, and nothing after them.
DataPacket readBlock(std::span<const std::byte> block);

// Writes the rows in the given order (row numbers into rows) with the schema's columns and attributes.
std::string writePacket(const PacketSchema& schema, const RowStore& rows,
                        std::span<const std::uint32_t> order);
std::string writePacket(const PacketSchema& schema, const RowStore& rows);
std::string makeBlock(std::string_view packet);

inline std::span<const std::byte> asBytes(std::string_view text) {
    return std::as_bytes(std::span<const char>(text.data(), text.size()));
}

} // namespace kodexa
