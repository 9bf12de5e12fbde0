#pragma once

#include "DataPacket.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The code list that the program carries, and how it is made from its UTF-8 source.
namespace kodexa::codelist {

constexpr std::string_view CodeField = "CPV_ID";
constexpr std::string_view DescriptionField = "CPV_DESC";

// The columns and attributes of the list: CPV_ID (10, required, key of the source table) and
// CPV_DESC (250), both taken from table CPV_CODE, with the primary key on CPV_ID.
PacketSchema schema();

// Reads the tab-separated source (header line, then code TAB description per line, UTF-8) into
// rows of Windows-1252 text. Throws std::runtime_error naming the line for anything malformed.
RowStore rowsFromTsv(std::string_view utf8Tsv);

// The carried block (4-byte length and packet) built from the source.
std::string blockFromTsv(std::string_view utf8Tsv);

// The block embedded in the executable.
std::span<const std::byte> carriedBlock();

// The block's rows in the order of their descriptions under the German collation (stable over
// the code order), made when the program was built.
std::span<const std::uint32_t> carriedDescriptionOrder();

} // namespace kodexa::codelist

namespace kodexa {
class TClientDataSet;
}

namespace kodexa::codelist {
// Loads the carried list into a table as the main window does: the block, order by code, open.
void loadCarried(TClientDataSet& table);
} // namespace kodexa::codelist
