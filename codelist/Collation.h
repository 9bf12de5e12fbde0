#pragma once

#include "CharacterWeights.h"
#include "Collator.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace kodexa {

// The locale whose collation the program uses: the first non-empty of LC_ALL, LC_COLLATE and LANG,
// without code set and modifier ("de_DE.UTF-8@euro" gives "de_DE"). The C and POSIX locales, and
// no locale at all, mean "de_DE": the code list is German.
std::string collationLocaleName(const char* lcAll, const char* lcCollate, const char* lang);
std::string userCollationLocaleName();
constexpr std::string_view GermanCollationLocale = "de_DE";

// ICU's collation of a locale for Windows-1252 text, at the level that tells case apart, with
// hyphen and apostrophe ignored altogether: "co-op" compares equal to "coop", and the code texts
// "0-3" and "0300000-0" select the codes that "03" and "03000000" select. Blanks and other
// punctuation keep their weight and sort before digits, digits before letters.
class LocaleCollator final : public Collator {
public:
    // Throws std::runtime_error when ICU cannot build the collation.
    explicit LocaleCollator(const std::string& localeName);
    ~LocaleCollator() override;
    LocaleCollator(const LocaleCollator&) = delete;
    LocaleCollator& operator=(const LocaleCollator&) = delete;

    int compare(std::string_view left, std::string_view right) const override;
    std::string sortKey(std::string_view text) const override;
    // Digits alone compare like their bytes (checked once, when the collator is made).
    bool ordersLikeBytes(std::string_view text) const override;

    // ICU's own comparison and key, bypassing the character table that normally builds the keys.
    int icuCompare(std::string_view left, std::string_view right) const;
    std::string icuSortKey(std::string_view text) const;
    // False when the locale's collation needed ICU for every key (see CharacterWeights::derive).
    bool usesCharacterWeights() const { return weights_.has_value(); }

private:
    UCollator* collator_ = nullptr;
    std::optional<CharacterWeights> weights_;
    bool digitsOrderLikeBytes_ = false;
};

std::shared_ptr<const LocaleCollator> makeLocaleCollator(const std::string& localeName);

// The collation for a locale name from the environment: the locale's, or German's when ICU cannot
// open one for that name (a language part of twelve letters or more, for one), as for no locale at
// all. A name ICU opens but does not know keeps ICU's root collation.
std::shared_ptr<const LocaleCollator> makeUserLocaleCollator(const std::string& localeName);

// The user's locale collation (makeUserLocaleCollator of userCollationLocaleName), built on first
// use and shared by every table.
std::shared_ptr<const LocaleCollator> userLocaleCollator();

// True when the collation that makeUserLocaleCollator builds for the locale is sure to order digit
// texts like their bytes, told from the locale's tailoring rules alone, at a small part of the cost
// of building the collation: rules without a digit, an escape, an option or a range cannot move a
// digit away from its ascending place in the root collation. False means only the built collation
// can tell (or ICU cannot open the locale, and the German fallback would be built).
bool tailoringLeavesDigitsAlone(const std::string& localeName);

// A collation built when a comparison first needs it. A table in code order, searched by the
// beginning of a code, compares nothing but digit texts, which most locales order like their bytes;
// building ICU's collation would cost more than all the rest of such a search.
class DeferredCollator final : public Collator {
public:
    using Build = std::function<std::shared_ptr<const Collator>()>;
    // digitsLikeBytes tells, without building, whether the built collation orders digit texts like
    // their bytes; it may only say true when the built collation's ordersLikeBytes would. Each is
    // called at most once (again only after it threw).
    DeferredCollator(Build build, std::function<bool()> digitsLikeBytes);

    int compare(std::string_view left, std::string_view right) const override;
    std::string sortKey(std::string_view text) const override;
    bool ordersLikeBytes(std::string_view text) const override;

    bool built() const { return built_.load(std::memory_order_acquire); }

private:
    const Collator& collation() const;

    Build build_;
    std::function<bool()> digitsLikeBytes_;
    mutable std::once_flag buildOnce_;
    mutable std::shared_ptr<const Collator> collation_;
    mutable std::atomic<bool> built_{false};
    mutable std::once_flag digitsOnce_;
    mutable bool digitsKnownLikeBytes_ = false;
};

// The user's locale collation as every table starts with it: userLocaleCollator(), deferred.
std::shared_ptr<const Collator> userTableCollator();

} // namespace kodexa
