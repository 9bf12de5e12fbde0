#include "CodeList.h"

#include "Cp1252.h"

#include <array>
#include <stdexcept>

extern "C" {
extern const unsigned char kodexa_codelist_block[];
extern const unsigned char kodexa_codelist_block_end[];
extern const std::uint32_t kodexa_description_order[];
extern const std::uint32_t kodexa_description_order_end[];
}

namespace kodexa::codelist {

PacketSchema schema() {
    PacketSchema schema;
    PacketColumn code{std::string(CodeField), packet::StringField, packet::RequiredFieldFlag, {}};
    code.attributes.push_back(PacketAttribute::unsignedInt("WIDTH", 2, 10));
    code.attributes.push_back(PacketAttribute::signedInt("PROVFLAGS", 4, 7, true));
    code.attributes.push_back(PacketAttribute::zeroTerminatedText("ORIGIN", "CPV_CODE.CPV_ID", true));
    PacketColumn description{std::string(DescriptionField), packet::StringField, 0, {}};
    description.attributes.push_back(PacketAttribute::unsignedInt("WIDTH", 2, 250));
    description.attributes.push_back(
        PacketAttribute::zeroTerminatedText("ORIGIN", "CPV_CODE.CPV_DESC", true));
    schema.columns = {std::move(code), std::move(description)};
    schema.attributes.push_back(PacketAttribute::unsignedArray("PRIMARY_KEY", 2, {1}));
    return schema;
}

RowStore rowsFromTsv(std::string_view utf8Tsv) {
    RowStore rows(2);
    rows.reserve(10000, utf8Tsv.size());
    std::size_t lineNumber = 0;
    while (!utf8Tsv.empty()) {
        const std::size_t end = utf8Tsv.find('\n');
        const std::string_view line = utf8Tsv.substr(0, end);
        utf8Tsv.remove_prefix(end == std::string_view::npos ? utf8Tsv.size() : end + 1);
        if (++lineNumber == 1)
            continue; // the header
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos)
            throw std::runtime_error("line " + std::to_string(lineNumber) +
                                     ": expected code TAB description");
        const std::string code = cp1252::fromUtf8(line.substr(0, tab));
        const std::string description = cp1252::fromUtf8(line.substr(tab + 1));
        const std::array<FieldValue, 2> values = {std::string_view(code), std::string_view(description)};
        rows.appendRow(values);
    }
    return rows;
}

std::string blockFromTsv(std::string_view utf8Tsv) {
    return makeBlock(writePacket(schema(), rowsFromTsv(utf8Tsv)));
}

std::span<const std::byte> carriedBlock() {
    const auto* begin = reinterpret_cast<const std::byte*>(kodexa_codelist_block);
    const auto* end = reinterpret_cast<const std::byte*>(kodexa_codelist_block_end);
    return {begin, static_cast<std::size_t>(end - begin)};
}

std::span<const std::uint32_t> carriedDescriptionOrder() {
    return {kodexa_description_order,
            static_cast<std::size_t>(kodexa_description_order_end - kodexa_description_order)};
}

} // namespace kodexa::codelist

#include "ClientDataSet.h"
#include "Collation.h"

namespace kodexa::codelist {
void loadCarried(TClientDataSet& table) {
    table.setCarriedBlock(carriedBlock());
    // In a German, C or POSIX locale the first order by description is read, not sorted: no
    // collator is built for it.
    if (userCollationLocaleName() == GermanCollationLocale)
        table.setKnownOrder(DescriptionField, carriedDescriptionOrder(), userTableCollator());
    table.setIndexFieldNames(CodeField);
    table.setActive(true);
}
} // namespace kodexa::codelist
