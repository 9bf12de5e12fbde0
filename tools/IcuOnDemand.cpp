// ICU for cpvquery, loaded when the code list first calls it. A search in code order compares no
// text by the locale, and loading and relocating ICU's libraries would cost that search about as
// much as all its own work. cpvquery therefore links no ICU (see codelist/CMakeLists.txt): every
// ICU function the code list calls is defined here, and opens ICU's library on its first call.
// A function that the code list starts to call and that is missing here fails cpvquery's link.
#include <unicode/ucol.h>
#include <unicode/ucoleitr.h>
#include <unicode/uset.h>
#include <unicode/uvernum.h>

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace {

// The library of the same version as the headers; it brings the common library and the data.
constexpr const char* LibraryName = "libicui18n.so." U_ICU_VERSION_SHORT;

void* icuLibrary() {
    static void* const library = [] {
        void* handle = ::dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            throw std::runtime_error(std::string("cannot load ICU: ") + ::dlerror());
        return handle;
    }();
    return library;
}

template <typename Function> Function* icuFunction(const char* name) {
    void* address = ::dlsym(icuLibrary(), name);
    if (address == nullptr)
        throw std::runtime_error(std::string("ICU has no function ") + name);
    return reinterpret_cast<Function*>(address);
}

} // namespace

// The headers give every function a version suffix (ucol_open is ucol_open_72); the name looked up
// is the one they give.
#define KODEXA_ICU_NAME_TEXT(name) #name
#define KODEXA_ICU_NAME(name) KODEXA_ICU_NAME_TEXT(name)
#define KODEXA_ICU_REAL(function)                                                                            \
    static auto* const real = icuFunction<decltype(function)>(KODEXA_ICU_NAME(function))

U_CAPI UCollator* U_EXPORT2 ucol_open(const char* loc, UErrorCode* status) {
    KODEXA_ICU_REAL(ucol_open);
    return real(loc, status);
}

U_CAPI UCollator* U_EXPORT2 ucol_openRules(const UChar* rules, int32_t rulesLength,
                                           UColAttributeValue normalizationMode, UCollationStrength strength,
                                           UParseError* parseError, UErrorCode* status) {
    KODEXA_ICU_REAL(ucol_openRules);
    return real(rules, rulesLength, normalizationMode, strength, parseError, status);
}

U_CAPI void U_EXPORT2 ucol_close(UCollator* coll) {
    KODEXA_ICU_REAL(ucol_close);
    real(coll);
}

U_CAPI const UChar* U_EXPORT2 ucol_getRules(const UCollator* coll, int32_t* length) {
    KODEXA_ICU_REAL(ucol_getRules);
    return real(coll, length);
}

U_CAPI void U_EXPORT2 ucol_setStrength(UCollator* coll, UCollationStrength strength) {
    KODEXA_ICU_REAL(ucol_setStrength);
    real(coll, strength);
}

U_CAPI UColAttributeValue U_EXPORT2 ucol_getAttribute(const UCollator* coll, UColAttribute attr,
                                                      UErrorCode* status) {
    KODEXA_ICU_REAL(ucol_getAttribute);
    return real(coll, attr, status);
}

U_CAPI int32_t U_EXPORT2 ucol_getReorderCodes(const UCollator* coll, int32_t* dest, int32_t destCapacity,
                                              UErrorCode* pErrorCode) {
    KODEXA_ICU_REAL(ucol_getReorderCodes);
    return real(coll, dest, destCapacity, pErrorCode);
}

U_CAPI UCollationResult U_EXPORT2 ucol_strcoll(const UCollator* coll, const UChar* source,
                                               int32_t sourceLength, const UChar* target,
                                               int32_t targetLength) {
    KODEXA_ICU_REAL(ucol_strcoll);
    return real(coll, source, sourceLength, target, targetLength);
}

U_CAPI int32_t U_EXPORT2 ucol_getSortKey(const UCollator* coll, const UChar* source, int32_t sourceLength,
                                         uint8_t* result, int32_t resultLength) {
    KODEXA_ICU_REAL(ucol_getSortKey);
    return real(coll, source, sourceLength, result, resultLength);
}

U_CAPI void U_EXPORT2 ucol_getContractionsAndExpansions(const UCollator* coll, USet* contractions,
                                                        USet* expansions, UBool addPrefixes,
                                                        UErrorCode* status) {
    KODEXA_ICU_REAL(ucol_getContractionsAndExpansions);
    real(coll, contractions, expansions, addPrefixes, status);
}

U_CAPI UCollationElements* U_EXPORT2 ucol_openElements(const UCollator* coll, const UChar* text,
                                                       int32_t textLength, UErrorCode* status) {
    KODEXA_ICU_REAL(ucol_openElements);
    return real(coll, text, textLength, status);
}

U_CAPI int32_t U_EXPORT2 ucol_next(UCollationElements* elems, UErrorCode* status) {
    KODEXA_ICU_REAL(ucol_next);
    return real(elems, status);
}

U_CAPI void U_EXPORT2 ucol_closeElements(UCollationElements* elems) {
    KODEXA_ICU_REAL(ucol_closeElements);
    real(elems);
}

U_CAPI USet* U_EXPORT2 uset_openEmpty(void) {
    KODEXA_ICU_REAL(uset_openEmpty);
    return real();
}

U_CAPI void U_EXPORT2 uset_close(USet* set) {
    KODEXA_ICU_REAL(uset_close);
    real(set);
}

U_CAPI int32_t U_EXPORT2 uset_getItemCount(const USet* set) {
    KODEXA_ICU_REAL(uset_getItemCount);
    return real(set);
}

U_CAPI int32_t U_EXPORT2 uset_getItem(const USet* set, int32_t itemIndex, UChar32* start, UChar32* end,
                                      UChar* str, int32_t strCapacity, UErrorCode* ec) {
    KODEXA_ICU_REAL(uset_getItem);
    return real(set, itemIndex, start, end, str, strCapacity, ec);
}
