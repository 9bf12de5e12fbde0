// Writes the rows of a code list block in the order of their descriptions under the German
// collation, as the table sorts them (stable over the stored order), one 32-bit row number each in
// the machine's byte order. The program carries the result beside the block.
#include "ClientDataSet.h"
#include "CodeList.h"
#include "Collation.h"

#include <cstdint>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: descriptionordergen BLOCK.packet OUTPUT.bin\n";
        return 2;
    }
    try {
        std::ifstream source(argv[1], std::ios::binary);
        if (!source)
            throw std::runtime_error(std::string("cannot read ") + argv[1]);
        const std::string block{std::istreambuf_iterator<char>(source), std::istreambuf_iterator<char>()};

        kodexa::TClientDataSet table("descriptionordergen");
        table.setCarriedBlock(kodexa::asBytes(block));
        table.setCollator(kodexa::makeUserLocaleCollator(std::string(kodexa::GermanCollationLocale)));
        table.setIndexFieldNames(kodexa::codelist::DescriptionField);
        table.open();
        std::vector<std::uint32_t> rows(table.recordCount());
        for (std::size_t position = 0; position < rows.size(); ++position)
            rows[position] = table.rowAt(position);

        std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
        output.write(reinterpret_cast<const char*>(rows.data()),
                     static_cast<std::streamsize>(rows.size() * sizeof(std::uint32_t)));
        if (!output.flush())
            throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "descriptionordergen: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
