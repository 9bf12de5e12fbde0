// keywordgen GERMAN.tsv ENGLISH.tsv VOCABULARY.tsv INDEX FOLDED_VOCABULARY: makes the keyword index
// that the program carries from the list's sources, and the vocabulary folded, sorted and merged as
// the program reads it at its start; a broken vocabulary is refused here rather than in the program.
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
    if (argc != 6) {
        std::cerr << "usage: keywordgen GERMAN.tsv ENGLISH.tsv VOCABULARY.tsv INDEX FOLDED_VOCABULARY\n";
        return 2;
    }
    try {
        using namespace kodexa::keyword;
        Vocabulary vocabulary = Vocabulary::parse(fileText(argv[3]));
        const std::string folded = vocabulary.canonicalText();
        KeywordIndex index(codeTermsFromSources(fileText(argv[1]), fileText(argv[2])), std::move(vocabulary));
        std::ofstream out(argv[4], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(index.image().data()),
                  static_cast<std::streamsize>(index.image().size()));
        if (!out.flush())
            throw std::runtime_error(std::string("cannot write ") + argv[4]);
        std::ofstream foldedOut(argv[5], std::ios::binary | std::ios::trunc);
        foldedOut.write(folded.data(), static_cast<std::streamsize>(folded.size()));
        if (!foldedOut.flush())
            throw std::runtime_error(std::string("cannot write ") + argv[5]);
    } catch (const std::exception& error) {
        std::cerr << "keywordgen: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
