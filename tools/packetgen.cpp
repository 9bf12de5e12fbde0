// Writes the carried code list block from its UTF-8 source.
#include "CodeList.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: packetgen SOURCE.tsv OUTPUT.packet\n";
        return 2;
    }
    try {
        std::ifstream source(argv[1], std::ios::binary);
        if (!source)
            throw std::runtime_error(std::string("cannot read ") + argv[1]);
        std::ostringstream text;
        text << source.rdbuf();
        const std::string block = kodexa::codelist::blockFromTsv(text.str());
        std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
        output.write(block.data(), static_cast<std::streamsize>(block.size()));
        if (!output.flush())
            throw std::runtime_error(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& error) {
        std::cerr << "packetgen: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
