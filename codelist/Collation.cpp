#include "Collation.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace kodexa {
namespace {

constexpr std::string_view DefaultLocale = GermanCollationLocale;

// Hyphen and apostrophe weigh nothing at any level: "0-3", "03-" and "0'3" are "03" to every
// comparison, so a code written with its check-digit hyphen ("0300000-0") selects the code, and
// "co-op" equals "coop". The description order of the carried list is the same as with a hyphen
// that decides after case: no two of its descriptions differ only in hyphens.
constexpr std::u16string_view HyphenAndApostropheRule = u"&[last tertiary ignorable]='-'=''";

UCollator* openWithRules(std::u16string_view rules) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    UCollator* collator = ucol_openRules(rules.data(), static_cast<int32_t>(rules.size()), UCOL_DEFAULT,
                                         UCOL_TERTIARY, &parseError, &status);
    if (U_FAILURE(status))
        return nullptr;
    return collator;
}

// The locale's own tailoring with the hyphen and apostrophe rule after it.
UCollator* openTailored(const std::string& localeName) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* base = ucol_open(localeName.c_str(), &status);
    if (U_FAILURE(status))
        throw std::runtime_error("ICU cannot open the collation of locale " + localeName);
    int32_t length = 0;
    const UChar* baseRules = ucol_getRules(base, &length);
    std::u16string rules(baseRules, static_cast<std::size_t>(length));
    ucol_close(base);
    rules += HyphenAndApostropheRule;
    UCollator* collator = openWithRules(rules);
    if (collator == nullptr) // the locale's rules and ours do not combine: ours alone over the root
        collator = openWithRules(HyphenAndApostropheRule);
    if (collator == nullptr)
        throw std::runtime_error("ICU cannot build the collation of locale " + localeName);
    ucol_setStrength(collator, UCOL_TERTIARY);
    return collator;
}

int sign(int order) {
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool isDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Every text of up to two digits, in byte order, must come out in strictly ascending order.
// Each digit then weighs as one element, ascending, and longer digit texts follow suit.
bool digitsCompareLikeBytes(const Collator& collator) {
    std::vector<std::string> texts;
    for (char first = '0'; first <= '9'; ++first) {
        texts.emplace_back(1, first);
        for (char second = '0'; second <= '9'; ++second)
            texts.push_back({first, second});
    }
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
        if (collator.compare(texts[i], texts[i + 1]) >= 0)
            return false;
    }
    return true;
}

} // namespace

std::string collationLocaleName(const char* lcAll, const char* lcCollate, const char* lang) {
    std::string_view name;
    for (const char* candidate : {lcAll, lcCollate, lang}) {
        if (candidate != nullptr && *candidate != '\0') {
            name = candidate;
            break;
        }
    }
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX")
        return std::string(DefaultLocale);
    return std::string(name);
}

std::string userCollationLocaleName() {
    return collationLocaleName(std::getenv("LC_ALL"), std::getenv("LC_COLLATE"), std::getenv("LANG"));
}

LocaleCollator::LocaleCollator(const std::string& localeName)
    : collator_(openTailored(localeName)), weights_(CharacterWeights::derive(collator_)),
      digitsOrderLikeBytes_(digitsCompareLikeBytes(*this)) {}

LocaleCollator::~LocaleCollator() {
    ucol_close(collator_);
}

int LocaleCollator::compare(std::string_view left, std::string_view right) const {
    if (!weights_)
        return icuCompare(left, right);
    // The table's keys, so that compare() and sortKey() can never disagree.
    return sign(weights_->sortKey(left).compare(weights_->sortKey(right)));
}

std::string LocaleCollator::sortKey(std::string_view text) const {
    if (weights_)
        return weights_->sortKey(text);
    return icuSortKey(text);
}

bool LocaleCollator::ordersLikeBytes(std::string_view text) const {
    return digitsOrderLikeBytes_ && isDigits(text);
}

int LocaleCollator::icuCompare(std::string_view left, std::string_view right) const {
    const std::u16string a = utf16FromCodePage(left);
    const std::u16string b = utf16FromCodePage(right);
    return ucol_strcoll(collator_, a.data(), static_cast<int32_t>(a.size()), b.data(),
                        static_cast<int32_t>(b.size()));
}

std::string LocaleCollator::icuSortKey(std::string_view text) const {
    const std::u16string utf16 = utf16FromCodePage(text);
    std::vector<uint8_t> key(utf16.size() * 4 + 16);
    for (;;) {
        const int32_t needed = ucol_getSortKey(collator_, utf16.data(), static_cast<int32_t>(utf16.size()),
                                               key.data(), static_cast<int32_t>(key.size()));
        if (needed <= static_cast<int32_t>(key.size()))
            return std::string(reinterpret_cast<const char*>(key.data()),
                               needed > 0 ? needed - 1 : 0); // no closing 0
        key.resize(static_cast<std::size_t>(needed));
    }
}

std::shared_ptr<const LocaleCollator> makeLocaleCollator(const std::string& localeName) {
    return std::make_shared<const LocaleCollator>(localeName);
}

std::shared_ptr<const LocaleCollator> makeUserLocaleCollator(const std::string& localeName) {
    try {
        return makeLocaleCollator(localeName);
    } catch (const std::runtime_error&) {
        if (localeName == DefaultLocale)
            throw;
        return makeLocaleCollator(std::string(DefaultLocale));
    }
}

std::shared_ptr<const LocaleCollator> userLocaleCollator() {
    static const std::shared_ptr<const LocaleCollator> collator =
        makeUserLocaleCollator(userCollationLocaleName());
    return collator;
}

bool tailoringLeavesDigitsAlone(const std::string& localeName) {
    // The program's own locale needs no look: German takes the root collation unchanged, whose
    // digits ascend (a test holds this against the built collation).
    if (localeName == DefaultLocale)
        return true;
    // openTailored() builds from these rules, from the program's own rule for hyphen and apostrophe
    // (no digit in it) and from nothing else of the locale: its keywords do not pass through rules.
    // The fallbacks build from fewer rules: ours alone, or German's, which has none.
    UErrorCode status = U_ZERO_ERROR;
    UCollator* base = ucol_open(localeName.c_str(), &status);
    if (U_FAILURE(status))
        return false;
    int32_t length = 0;
    const UChar* rules = ucol_getRules(base, &length);
    // Reaching a digit takes the digit itself, an escape for it, a range over it ("<*!-~") or an
    // option or import in brackets.
    const bool alone = std::none_of(rules, rules + length, [](UChar c) {
        return (c >= u'0' && c <= u'9') || c == u'\\' || c == u'*' || c == u'[';
    });
    ucol_close(base);
    return alone;
}

DeferredCollator::DeferredCollator(Build build, std::function<bool()> digitsLikeBytes)
    : build_(std::move(build)), digitsLikeBytes_(std::move(digitsLikeBytes)) {}

const Collator& DeferredCollator::collation() const {
    std::call_once(buildOnce_, [this] {
        collation_ = build_();
        built_.store(true, std::memory_order_release);
    });
    return *collation_;
}

int DeferredCollator::compare(std::string_view left, std::string_view right) const {
    return collation().compare(left, right);
}

std::string DeferredCollator::sortKey(std::string_view text) const {
    return collation().sortKey(text);
}

bool DeferredCollator::ordersLikeBytes(std::string_view text) const {
    if (!built() && isDigits(text)) {
        std::call_once(digitsOnce_, [this] { digitsKnownLikeBytes_ = digitsLikeBytes_(); });
        if (digitsKnownLikeBytes_)
            return true;
    }
    return collation().ordersLikeBytes(text);
}

std::shared_ptr<const Collator> userTableCollator() {
    static const std::shared_ptr<const Collator> collator = std::make_shared<const DeferredCollator>(
        [] { return std::shared_ptr<const Collator>(userLocaleCollator()); },
        [] { return tailoringLeavesDigitsAlone(userCollationLocaleName()); });
    return collator;
}

} // namespace kodexa
