// keywordgen GERMAN.tsv ENGLISH.tsv VOCABULARY.tsv INDEX: makes the keyword index that the program
// carries from the list's sources; the vocabulary is read only to refuse a broken one here rather
// than in the program.
#include "KeywordIndex.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

std::string fileText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error(std::string("cannot read ") + path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: keywordgen GERMAN.tsv ENGLISH.tsv VOCABULARY.tsv INDEX\n";
        return 2;
    }
    try {
        using namespace kodexa::keyword;
        KeywordIndex index(codeTermsFromSources(fileText(argv[1]), fileText(argv[2])),
                           Vocabulary::parse(fileText(argv[3])));
        std::ofstream out(argv[4], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(index.image().data()), static_cast<std::streamsize>(index.image().size()));
        if (!out.flush())
            throw std::runtime_error(std::string("cannot write ") + argv[4]);
    } catch (const std::exception& error) {
        std::cerr << "keywordgen: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
