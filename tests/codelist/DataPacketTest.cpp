#include "DataPacket.h"
#include "CodeList.h"
#include "DatabaseError.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>

using namespace kodexa;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string carriedBlock() {
    const auto block = codelist::carriedBlock();
    return {reinterpret_cast<const char*>(block.data()), block.size()};
}

std::string carriedPacket() {
    return carriedBlock().substr(4);
}

void expectRefused(const std::string& packet, const std::string& why) {
    try {
        readPacket(asBytes(packet));
        ADD_FAILURE() << "accepted a packet with " << why;
    } catch (const PacketError& error) {
        EXPECT_NE(std::string(error.what()).find("Datenpaket fehlerhaft"), std::string::npos) << error.what();
    }
}

void setU32(std::string& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

TEST(DataPacket, CarriedBlockIsTheOneRegeneratedFromTheSource) {
    const std::string source = readFile(KODEXA_DATA_DIR "/cpv2007-de.tsv");
    const std::string onDisk = readFile(KODEXA_DATA_DIR "/codelist.packet");
    ASSERT_EQ(onDisk.size(), 361044U);
    EXPECT_TRUE(codelist::blockFromTsv(source) == onDisk);
    EXPECT_TRUE(carriedBlock() == onDisk);
}

TEST(DataPacket, ReadsTheListsMetadataAndRows) {
    const DataPacket packet = readBlock(codelist::carriedBlock());
    EXPECT_EQ(packet.majorVersion, 1);
    ASSERT_EQ(packet.schema.columns.size(), 2U);
    EXPECT_EQ(packet.schema.columns[0].name, "CPV_ID");
    EXPECT_EQ(packet.schema.columns[0].width(), 10U);
    EXPECT_TRUE(packet.schema.columns[0].required());
    EXPECT_EQ(packet.schema.columns[1].name, "CPV_DESC");
    EXPECT_EQ(packet.schema.columns[1].width(), 250U);
    EXPECT_FALSE(packet.schema.columns[1].required());
    EXPECT_EQ(packet.schema.columns[0].attribute("PROVFLAGS")->integerValue(), 7);
    EXPECT_EQ(packet.schema.primaryKey(), std::vector<std::size_t>{1});

    ASSERT_EQ(packet.rows.rowCount(), 9454U);
    EXPECT_EQ(packet.rows.value(0, 0), "03000000");
    EXPECT_EQ(packet.rows.value(0, 1)->size(), 120U);
    EXPECT_EQ(packet.rows.value(9453, 0), "98910000");
}

TEST(DataPacket, WritingTheRowsReadGivesTheSameBytes) {
    const DataPacket packet = readBlock(codelist::carriedBlock());
    EXPECT_TRUE(writePacket(packet.schema, packet.rows) == carriedPacket());
}

TEST(DataPacket, NullValuesSurviveARoundTrip) {
    RowStore rows(2);
    const std::array<FieldValue, 2> withNull = {std::string_view("12345678"), std::nullopt};
    const std::array<FieldValue, 2> empty = {std::string_view("12345679"), std::string_view()};
    rows.appendRow(withNull);
    rows.appendRow(empty);
    const std::string written = writePacket(codelist::schema(), rows);
    const DataPacket again = readPacket(asBytes(written));
    EXPECT_EQ(again.rows.value(0, 1), std::nullopt);
    EXPECT_EQ(again.rows.value(1, 1), std::string_view());
}

TEST(DataPacket, RefusesForeignAndNewerPackets) {
    std::string wrongMagic = carriedPacket();
    wrongMagic[0] = 0x97;
    expectRefused(wrongMagic, "a wrong magic");

    std::string newerMajor = carriedPacket();
    newerMajor[4] = 4;
    expectRefused(newerMajor, "major version 4");
    std::string newerMinor = carriedPacket();
    newerMinor[6] = 4;
    expectRefused(newerMinor, "minor version 4");

    std::string version33 = carriedPacket();
    version33[4] = 3;
    version33[6] = 3;
    EXPECT_NO_THROW(readPacket(asBytes(version33)));
}

TEST(DataPacket, RefusesEveryTruncation) {
    const std::string packet = carriedPacket();
    // Every cut in the metadata, and a sample of cuts among the rows.
    for (std::size_t length = 0; length < packet.size(); length += (length < 400 ? 1 : 997))
        expectRefused(packet.substr(0, length), "a cut at " + std::to_string(length));
    expectRefused(packet.substr(0, packet.size() - 1), "the last byte missing");
}

TEST(DataPacket, RefusesLengthsAndCountsThatDoNotMatch) {
    std::string block = carriedBlock();
    setU32(block, 0, 361041);
    EXPECT_THROW(readBlock(asBytes(block)), PacketError);
    setU32(block, 0, 0xFFFFFFFF);
    EXPECT_THROW(readBlock(asBytes(block)), PacketError);

    std::string fewerRows = carriedPacket();
    setU32(fewerRows, 14, 9453);
    expectRefused(fewerRows, "a row left over");
    std::string moreRows = carriedPacket();
    setU32(moreRows, 14, 9455);
    expectRefused(moreRows, "a row too many");
    std::string hugeCount = carriedPacket();
    setU32(hugeCount, 14, 0xFFFFFFFF);
    expectRefused(hugeCount, "a huge row count");

    std::string trailing = carriedPacket() + "x";
    expectRefused(trailing, "a byte after the last row");

    std::string valuePastEnd = carriedPacket();
    valuePastEnd[valuePastEnd.size() - 71] = static_cast<char>(200); // last description's length
    expectRefused(valuePastEnd, "a value that runs past the end");

    std::string firstRowOffset = carriedPacket();
    firstRowOffset[22] = static_cast<char>(183);
    expectRefused(firstRowOffset, "a first-row offset that disagrees");

    std::string codeTooLong = carriedPacket();
    codeTooLong[184] = 11; // the first code's length, beyond its width of 10
    expectRefused(codeTooLong, "a value wider than its field");
}

TEST(DataPacket, RefusesUnsupportedStatusAndTypes) {
    std::string rowStatus = carriedPacket();
    rowStatus[182] = 4;
    expectRefused(rowStatus, "row status 4");

    std::string pair = carriedPacket();
    pair[183] = 0x08; // column 2: pair 10
    expectRefused(pair, "field-status pair 10");

    std::string requiredNull = carriedPacket();
    requiredNull[183] = 0x01; // column 1 (required) without value
    expectRefused(requiredNull, "a required field without value");

    std::string columnType = carriedPacket();
    columnType[33] = 0x05; // kind 5 for CPV_ID
    expectRefused(columnType, "an unknown column type");

    std::string attributeType = carriedPacket();
    attributeType[48] = 0x3F; // WIDTH's kind
    expectRefused(attributeType, "an unknown attribute type");

    std::string keyField = carriedPacket();
    keyField[180] = 3; // PRIMARY_KEY names field 3
    expectRefused(keyField, "a key on a field that does not exist");
}

namespace {

// A packet of the list's columns with one row, under the given PRIMARY_KEY.
std::string packetWith(std::string_view code, std::string_view description,
                       std::vector<std::uint64_t> key = {1}) {
    PacketSchema schema = codelist::schema();
    std::erase_if(schema.attributes, [](const PacketAttribute& a) { return a.name == "PRIMARY_KEY"; });
    schema.attributes.push_back(PacketAttribute::unsignedArray("PRIMARY_KEY", 2, key));
    RowStore rows(2);
    const std::array<FieldValue, 2> values = {code, description};
    rows.appendRow(values);
    return writePacket(schema, rows);
}

} // namespace

// The declared width is the most a value may hold: exactly as wide is taken, one byte more is not.
TEST(DataPacket, AValueAsWideAsItsFieldIsTakenAndOneByteMoreIsNot) {
    const std::string code(10, '7');
    const std::string description(250, 'x');
    const DataPacket packet = readPacket(asBytes(packetWith(code, description)));
    ASSERT_EQ(packet.rows.rowCount(), 1U);
    EXPECT_EQ(packet.rows.value(0, 0), code);
    EXPECT_EQ(packet.rows.value(0, 1), description);
    expectRefused(packetWith(code + "7", description), "a code of 11 characters");
    expectRefused(packetWith(code, description + "x"), "a description of 251 characters");
    EXPECT_NO_THROW(readPacket(asBytes(packetWith("", ""))));
}

// PRIMARY_KEY counts the fields from 1: 0 names none, and neither does a number past the last.
TEST(DataPacket, APrimaryKeyMustNameFieldsThatExist) {
    EXPECT_EQ(readPacket(asBytes(packetWith("1", "a", {1}))).schema.primaryKey(),
              std::vector<std::size_t>{1});
    EXPECT_EQ(readPacket(asBytes(packetWith("1", "a", {2, 1}))).schema.primaryKey(),
              (std::vector<std::size_t>{2, 1}));
    expectRefused(packetWith("1", "a", {0}), "a key on field 0");
    expectRefused(packetWith("1", "a", {1, 0}), "a key on fields 1 and 0");
    expectRefused(packetWith("1", "a", {3}), "a key on field 3 of 2");
    expectRefused(packetWith("1", "a", {}), "a key without fields");
}

// A block's length must be the packet's exact length: neither more nor less than follows it.
TEST(DataPacket, ABlockLengthShorterThanThePacketIsRefused) {
    std::string block = carriedBlock();
    setU32(block, 0, 361039);
    EXPECT_THROW(readBlock(asBytes(block)), PacketError);
    setU32(block, 0, 0);
    EXPECT_THROW(readBlock(asBytes(block)), PacketError);
    EXPECT_THROW(readBlock(asBytes(std::string_view(block).substr(0, 3))), PacketError);
}

// Each row's field status takes two bits a field, four fields a byte: one field takes a byte of its
// own, five take two.
TEST(DataPacket, AnyNumberOfFieldsSurvivesARoundTrip) {
    for (std::size_t columns : {1U, 3U, 4U, 5U, 9U}) {
        PacketSchema schema;
        for (std::size_t column = 0; column < columns; ++column)
            schema.columns.push_back({"F" + std::to_string(column), packet::StringField, 0, {}});
        RowStore rows(columns);
        for (std::size_t row = 0; row < 3; ++row) {
            std::vector<std::string> texts;
            for (std::size_t column = 0; column < columns; ++column)
                texts.push_back(std::to_string(row) + ":" + std::to_string(column));
            std::vector<FieldValue> values(texts.begin(), texts.end());
            values[(row + 1) % columns] = std::nullopt; // a null in another field on each row
            rows.appendRow(values);
        }
        const DataPacket again = readPacket(asBytes(writePacket(schema, rows)));
        ASSERT_EQ(again.rows.rowCount(), 3U) << columns;
        ASSERT_EQ(again.rows.columnCount(), columns);
        for (std::size_t row = 0; row < 3; ++row) {
            for (std::size_t column = 0; column < columns; ++column)
                EXPECT_EQ(again.rows.value(row, column), rows.value(row, column)) << columns << " " << row;
        }
    }
}
