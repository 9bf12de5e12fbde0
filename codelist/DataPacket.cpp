#include "DataPacket.h"

#include "Cp1252.h"
#include "DatabaseError.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>

namespace kodexa {
namespace {

[[noreturn]] void refuse(const std::string& why) {
    throw PacketError("Datenpaket fehlerhaft: " + why);
}

// Little-endian reading within the packet's bounds; running past the end refuses the packet.
class ByteCursor {
public:
    explicit ByteCursor(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

    void seek(std::size_t position, const char* what) {
        if (position > bytes_.size())
            refuse(std::string(what) + " liegt hinter dem Ende des Pakets");
        pos_ = position;
    }

    std::uint64_t readUnsigned(std::size_t size, const char* what) {
        require(size, what);
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= static_cast<std::uint64_t>(std::to_integer<unsigned>(bytes_[pos_ + i])) << (8 * i);
        pos_ += size;
        return value;
    }
    std::uint8_t u8(const char* what) { return static_cast<std::uint8_t>(readUnsigned(1, what)); }
    std::uint16_t u16(const char* what) { return static_cast<std::uint16_t>(readUnsigned(2, what)); }
    std::uint32_t u32(const char* what) { return static_cast<std::uint32_t>(readUnsigned(4, what)); }

    std::string_view text(std::size_t length, const char* what) {
        require(length, what);
        const auto* start = reinterpret_cast<const char*>(bytes_.data()) + pos_;
        pos_ += length;
        return {start, length};
    }

private:
    void require(std::size_t size, const char* what) const {
        if (size > remaining())
            refuse(std::string("unerwartetes Ende bei Byte ") + std::to_string(pos_) + " (" + what + ")");
    }

    std::span<const std::byte> bytes_;
    std::size_t pos_ = 0;
};

void appendLittleEndian(std::string& out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t maxForSize(std::size_t size) {
    return size >= 8 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t{1} << (8 * size)) - 1;
}

bool isIntegerSize(std::uint32_t size) {
    return size == 1 || size == 2 || size == 4 || size == 8;
}

// Checks an attribute's type word and returns the length of its value in bytes.
std::size_t attributeValueLength(ByteCursor& in, std::uint32_t typeWord) {
    using namespace packet;
    const std::uint32_t size = sizeOf(typeWord);
    const std::uint32_t kind = kindOf(typeWord);
    const bool varying = (typeWord & VaryingFlag) != 0;
    const bool array = (typeWord & ArrayFlag) != 0;
    const std::uint32_t unknownBits =
        typeWord & ~(0xFFFFu | (0x3Fu << 16) | VaryingFlag | ArrayFlag | RoundtripFlag);
    if (unknownBits != 0 || (varying && array))
        refuse("unbekannter Typ eines Attributs");

    if (kind == KindSignedInt || kind == KindUnsignedInt) {
        if (varying || !isIntegerSize(size))
            refuse("unbekannter Typ eines Attributs");
        if (!array)
            return size;
        const std::size_t start = in.position();
        const std::uint64_t count = in.u32("Anzahl der Elemente");
        if (count > in.remaining() / size)
            refuse("Attribut reicht über das Ende des Pakets");
        in.seek(start, "Attribut");
        return 4 + count * size;
    }
    if (kind == KindString && !array) {
        if (!varying)
            return size;
        if (size != 1 && size != 2 && size != 4)
            refuse("unbekannter Typ eines Attributs");
        const std::size_t start = in.position();
        const std::uint64_t length = in.readUnsigned(size, "Länge eines Attributs");
        in.seek(start, "Attribut");
        return size + length;
    }
    refuse("unbekannter Typ eines Attributs");
}

PacketAttribute readAttribute(ByteCursor& in) {
    PacketAttribute attribute;
    const std::uint8_t nameLength = in.u8("Länge eines Attributnamens");
    attribute.name = in.text(nameLength, "Attributname");
    attribute.typeWord = in.u32("Typ eines Attributs");
    const std::size_t length = attributeValueLength(in, attribute.typeWord);
    attribute.rawValue = in.text(length, "Wert eines Attributs");
    return attribute;
}

std::vector<PacketAttribute> readAttributes(ByteCursor& in) {
    const std::uint16_t count = in.u16("Anzahl der Attribute");
    std::vector<PacketAttribute> attributes;
    attributes.reserve(count);
    for (std::uint16_t i = 0; i < count; ++i)
        attributes.push_back(readAttribute(in));
    return attributes;
}

PacketColumn readColumn(ByteCursor& in) {
    PacketColumn column;
    const std::uint8_t nameLength = in.u8("Länge eines Feldnamens");
    if (nameLength == 0)
        refuse("Feld ohne Namen");
    column.name = in.text(nameLength, "Feldname");
    column.typeWord = in.u32("Feldtyp");
    const std::uint32_t prefix = packet::sizeOf(column.typeWord);
    const bool isVaryingString = (column.typeWord & ~packet::RoundtripFlag & ~0xFFFFu) ==
                                 ((packet::KindString << 16) | packet::VaryingFlag);
    if (!isVaryingString || (prefix != 1 && prefix != 2 && prefix != 4))
        refuse("Feld '" + cp1252::toUtf8(column.name) + "' hat einen nicht unterstützten Typ");
    column.flags = in.u16("Feldattribute");
    column.attributes = readAttributes(in);
    return column;
}

void checkSchema(const PacketSchema& schema) {
    for (std::size_t i = 0; i < schema.columns.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (schema.columns[i].name == schema.columns[j].name)
                refuse("Feld '" + cp1252::toUtf8(schema.columns[i].name) + "' ist doppelt vorhanden");
        }
    }
    for (const PacketAttribute& attribute : schema.attributes) {
        if (attribute.name != "PRIMARY_KEY")
            continue;
        const std::vector<std::int64_t> fields = attribute.integerElements();
        if (fields.empty())
            refuse("Primärschlüssel ohne Felder");
        for (std::int64_t field : fields) {
            if (field < 1 || static_cast<std::size_t>(field) > schema.columns.size())
                refuse("Primärschlüssel nennt ein Feld, das es nicht gibt");
        }
    }
}

} // namespace

class PacketReader {
public:
    static void readRows(ByteCursor& in, const PacketSchema& schema, std::uint32_t rowCount, RowStore& rows,
                         std::span<const std::byte> packetBytes);
};

void PacketReader::readRows(ByteCursor& in, const PacketSchema& schema, std::uint32_t rowCount,
                            RowStore& rows, std::span<const std::byte> packetBytes) {
    const std::size_t columnCount = schema.columns.size();
    const std::size_t statusBytes = (columnCount + 3) / 4;
    // Every row takes at least its status bytes: a count beyond that cannot be right and must not
    // make us reserve memory for it.
    if (rowCount > in.remaining() / (1 + statusBytes))
        refuse("die Anzahl der Datensätze passt nicht zur Größe des Pakets");

    // The values stay where they are in the packet; the store keeps a copy of its bytes.
    rows.text_.assign(reinterpret_cast<const char*>(packetBytes.data()), packetBytes.size());
    rows.cells_.reserve(static_cast<std::size_t>(rowCount) * columnCount);
    std::vector<std::size_t> widths;
    for (const PacketColumn& column : schema.columns)
        widths.push_back(column.width());

    for (std::uint32_t row = 0; row < rowCount; ++row) {
        const auto rowName = [row] { return "Datensatz " + std::to_string(row + 1); };
        if (in.u8("Datensatzstatus") != 0)
            refuse(rowName() + " hat einen nicht unterstützten Status");
        const std::string_view status = in.text(statusBytes, "Feldstatus");
        for (std::size_t column = 0; column < columnCount; ++column) {
            // 00: the value follows; 01: no value (null). Other pairs are not ours to interpret.
            const unsigned pair = (static_cast<unsigned char>(status[column / 4]) >> (2 * (column % 4))) & 3;
            if (pair > 1)
                refuse(rowName() + " hat einen nicht unterstützten Feldstatus");
            if (pair == 1) {
                if (schema.columns[column].required())
                    refuse(rowName() + " hat keinen Wert im Pflichtfeld '" +
                           cp1252::toUtf8(schema.columns[column].name) + "'");
                rows.cells_.push_back({0, RowStore::NullLength});
                continue;
            }
            const std::size_t prefix = packet::sizeOf(schema.columns[column].typeWord);
            const std::uint64_t length = in.readUnsigned(prefix, "Feldlänge");
            if (widths[column] != 0 && length > widths[column])
                refuse(rowName() + ": der Wert im Feld '" + cp1252::toUtf8(schema.columns[column].name) +
                       "' ist länger als das Feld");
            const std::size_t offset = in.position();
            in.text(length, "Feldwert");
            rows.cells_.push_back({static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)});
        }
    }
}

PacketAttribute PacketAttribute::unsignedInt(std::string name, std::uint16_t size, std::uint64_t value,
                                             bool roundtrip) {
    PacketAttribute attribute{std::move(name), (packet::KindUnsignedInt << 16) | size, {}};
    if (roundtrip)
        attribute.typeWord |= packet::RoundtripFlag;
    appendLittleEndian(attribute.rawValue, value, size);
    return attribute;
}

PacketAttribute PacketAttribute::signedInt(std::string name, std::uint16_t size, std::int64_t value,
                                           bool roundtrip) {
    PacketAttribute attribute{std::move(name), (packet::KindSignedInt << 16) | size, {}};
    if (roundtrip)
        attribute.typeWord |= packet::RoundtripFlag;
    appendLittleEndian(attribute.rawValue, static_cast<std::uint64_t>(value), size);
    return attribute;
}

PacketAttribute PacketAttribute::zeroTerminatedText(std::string name, std::string_view text, bool roundtrip) {
    PacketAttribute attribute{std::move(name), (packet::KindString << 16) | packet::VaryingFlag | 2, {}};
    if (roundtrip)
        attribute.typeWord |= packet::RoundtripFlag;
    appendLittleEndian(attribute.rawValue, text.size() + 1, 2);
    attribute.rawValue.append(text);
    attribute.rawValue += '\0';
    return attribute;
}

PacketAttribute PacketAttribute::unsignedArray(std::string name, std::uint16_t elementSize,
                                               const std::vector<std::uint64_t>& elements) {
    PacketAttribute attribute{
        std::move(name), (packet::KindUnsignedInt << 16) | packet::ArrayFlag | elementSize, {}};
    appendLittleEndian(attribute.rawValue, elements.size(), 4);
    for (std::uint64_t element : elements)
        appendLittleEndian(attribute.rawValue, element, elementSize);
    return attribute;
}

namespace {
std::int64_t decodeInteger(std::string_view bytes, std::uint32_t kind) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    const std::size_t bits = bytes.size() * 8;
    if (kind == packet::KindSignedInt && bits < 64 && (value >> (bits - 1)) != 0)
        value |= ~std::uint64_t{0} << bits; // sign extension
    return static_cast<std::int64_t>(value);
}
} // namespace

std::optional<std::int64_t> PacketAttribute::integerValue() const {
    const std::uint32_t kind = packet::kindOf(typeWord);
    if ((kind != packet::KindSignedInt && kind != packet::KindUnsignedInt) ||
        (typeWord & packet::ArrayFlag) || rawValue.size() != packet::sizeOf(typeWord) || rawValue.empty())
        return std::nullopt;
    return decodeInteger(rawValue, kind);
}

std::vector<std::int64_t> PacketAttribute::integerElements() const {
    const std::uint32_t kind = packet::kindOf(typeWord);
    const std::size_t size = packet::sizeOf(typeWord);
    if ((kind != packet::KindSignedInt && kind != packet::KindUnsignedInt) ||
        !(typeWord & packet::ArrayFlag) || size == 0 || rawValue.size() < 4)
        return {};
    const std::string_view elements = std::string_view(rawValue).substr(4);
    std::vector<std::int64_t> values;
    for (std::size_t at = 0; at + size <= elements.size(); at += size)
        values.push_back(decodeInteger(elements.substr(at, size), kind));
    return values;
}

std::size_t PacketColumn::width() const {
    const PacketAttribute* widthAttribute = attribute("WIDTH");
    if (widthAttribute == nullptr)
        return 0;
    const std::optional<std::int64_t> value = widthAttribute->integerValue();
    return value && *value > 0 ? static_cast<std::size_t>(*value) : 0;
}

const PacketAttribute* PacketColumn::attribute(std::string_view attributeName) const {
    for (const PacketAttribute& candidate : attributes) {
        if (candidate.name == attributeName)
            return &candidate;
    }
    return nullptr;
}

std::vector<std::size_t> PacketSchema::primaryKey() const {
    for (const PacketAttribute& attribute : attributes) {
        if (attribute.name != "PRIMARY_KEY")
            continue;
        std::vector<std::size_t> fields;
        for (std::int64_t field : attribute.integerElements())
            fields.push_back(static_cast<std::size_t>(field));
        return fields;
    }
    return {};
}

std::optional<std::size_t> PacketSchema::columnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name == name)
            return i;
    }
    return std::nullopt;
}

void RowStore::reserve(std::size_t rows, std::size_t textBytes) {
    cells_.reserve(rows * columnCount_);
    text_.reserve(textBytes);
}

void RowStore::appendRow(std::span<const FieldValue> values) {
    for (std::size_t column = 0; column < columnCount_; ++column) {
        const FieldValue value = column < values.size() ? values[column] : std::nullopt;
        if (!value) {
            cells_.push_back({0, NullLength});
            continue;
        }
        cells_.push_back(
            {static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(value->size())});
        text_.append(*value);
    }
}

DataPacket readPacket(std::span<const std::byte> bytes) {
    ByteCursor in(bytes);
    if (bytes.size() < packet::HeaderSize)
        refuse("zu kurz für den Kopf (" + std::to_string(bytes.size()) + " Bytes)");
    if (in.u32("Kennung") != packet::Magic)
        refuse("falsche Kennung, kein Datenpaket");

    DataPacket result;
    result.majorVersion = in.u16("Version");
    result.minorVersion = in.u16("Version");
    if (result.majorVersion > packet::HighestVersion || result.minorVersion > packet::HighestVersion)
        refuse("Version " + std::to_string(result.majorVersion) + "." + std::to_string(result.minorVersion) +
               " wird nicht unterstützt");
    const std::uint32_t headerSize = in.u32("Kopfgröße");
    const std::uint16_t columnCount = in.u16("Anzahl der Felder");
    const std::uint32_t rowCount = in.u32("Anzahl der Datensätze");
    const std::uint32_t flags = in.u32("Paketflags");
    const std::uint16_t firstRowOffset = in.u16("Beginn der Datensätze");
    if (headerSize < packet::HeaderSize)
        refuse("Kopfgröße " + std::to_string(headerSize) + " ist zu klein");
    if ((flags & ~std::uint32_t{3}) != 0)
        refuse("nicht unterstützte Paketflags");
    in.seek(headerSize, "Beginn der Felder");

    result.schema.columns.reserve(columnCount);
    for (std::uint16_t i = 0; i < columnCount; ++i)
        result.schema.columns.push_back(readColumn(in));
    result.schema.attributes = readAttributes(in);
    checkSchema(result.schema);

    if ((flags & 2) != 0 && firstRowOffset != in.position())
        refuse("Beginn der Datensätze stimmt nicht mit den Metadaten überein");

    result.rows = RowStore(columnCount);
    PacketReader::readRows(in, result.schema, rowCount, result.rows, bytes);
    if (!in.atEnd())
        refuse(std::to_string(in.remaining()) +
               " Bytes nach dem letzten Datensatz; die Anzahl der Datensätze passt nicht");
    return result;
}

DataPacket readBlock(std::span<const std::byte> block) {
    ByteCursor in(block);
    const std::uint32_t length = in.u32("Länge des Pakets");
    if (length != in.remaining())
        refuse("die Länge " + std::to_string(length) + " passt nicht zu den " +
               std::to_string(in.remaining()) + " Bytes des Pakets");
    return readPacket(block.subspan(4));
}

std::string writePacket(const PacketSchema& schema, const RowStore& rows,
                        std::span<const std::uint32_t> order) {
    std::string out;
    appendLittleEndian(out, packet::Magic, 4);
    appendLittleEndian(out, 1, 2); // version 1.0
    appendLittleEndian(out, 0, 2);
    appendLittleEndian(out, packet::HeaderSize, 4);
    appendLittleEndian(out, schema.columns.size(), 2);
    appendLittleEndian(out, order.size(), 4);
    const std::size_t flagsAt = out.size();
    appendLittleEndian(out, 0, 4 + 2); // flags and first-row offset, filled in below

    auto appendAttributes = [&out](const std::vector<PacketAttribute>& attributes) {
        appendLittleEndian(out, attributes.size(), 2);
        for (const PacketAttribute& attribute : attributes) {
            out += static_cast<char>(attribute.name.size());
            out += attribute.name;
            appendLittleEndian(out, attribute.typeWord, 4);
            out += attribute.rawValue;
        }
    };
    for (const PacketColumn& column : schema.columns) {
        out += static_cast<char>(column.name.size());
        out += column.name;
        appendLittleEndian(out, column.typeWord, 4);
        appendLittleEndian(out, column.flags, 2);
        appendAttributes(column.attributes);
    }
    appendAttributes(schema.attributes);

    const std::size_t firstRow = out.size();
    const bool offsetFits = firstRow <= 0xFFFF;
    std::string header;
    appendLittleEndian(header, offsetFits ? 3 : 1, 4);
    appendLittleEndian(header, offsetFits ? firstRow : 0, 2);
    out.replace(flagsAt, header.size(), header);

    const std::size_t columnCount = schema.columns.size();
    const std::size_t statusBytes = (columnCount + 3) / 4;
    for (std::uint32_t row : order) {
        out += '\0'; // row status: unchanged
        std::string status(statusBytes, '\0');
        for (std::size_t column = 0; column < columnCount; ++column) {
            if (!rows.value(row, column))
                status[column / 4] = static_cast<char>(status[column / 4] | (1 << (2 * (column % 4))));
        }
        out += status;
        for (std::size_t column = 0; column < columnCount; ++column) {
            const FieldValue value = rows.value(row, column);
            if (!value)
                continue;
            const std::size_t prefix = packet::sizeOf(schema.columns[column].typeWord);
            if (value->size() > maxForSize(prefix))
                throw PacketError("Wert im Feld '" + cp1252::toUtf8(schema.columns[column].name) +
                                  "' ist zu lang für das Datenpaket");
            appendLittleEndian(out, value->size(), prefix);
            out += *value;
        }
    }
    return out;
}

std::string writePacket(const PacketSchema& schema, const RowStore& rows) {
    std::vector<std::uint32_t> order(rows.rowCount());
    std::iota(order.begin(), order.end(), 0U);
    return writePacket(schema, rows, order);
}

std::string makeBlock(std::string_view packet) {
    std::string block;
    appendLittleEndian(block, packet.size(), 4);
    block += packet;
    return block;
}

} // namespace kodexa
