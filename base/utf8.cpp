#include "base/utf8.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/uspoof.h>
#include <unicode/ustring.h>

#include <memory>
#include <vector>

std::size_t utf8_cut_length(const char* text, std::size_t length, std::size_t max_bytes) {
    if (length <= max_bytes) return length;
    std::size_t n = max_bytes;
    // Step back over continuation bytes so that no character is cut in half.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n;
}

char32_t utf8_next(const char* text, std::size_t length, std::size_t* pos) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text) + *pos;
    std::size_t left = length - *pos;
    unsigned char b = s[0];
    ++*pos;
    if (b < 0x80) return b;
    int extra = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
    if (extra < 0 || left <= static_cast<std::size_t>(extra)) return 0xFFFD;
    char32_t c = b & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0xFFFD;
        c = (c << 6) | (s[i] & 0x3F);
    }
    static const char32_t least[4] = {0, 0x80, 0x800, 0x10000};
    if (c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
    *pos += extra;
    return c;
}

namespace {

bool all_ascii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

// The text as UTF-16 for ICU; false when it is not UTF-8.
bool to_utf16(const std::string& text, std::vector<UChar>& out) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return false;
    out.assign(static_cast<std::size_t>(length) + 1, 0);
    status = U_ZERO_ERROR;
    u_strFromUTF8(out.data(), length + 1, nullptr, text.data(), static_cast<int32_t>(text.size()), &status);
    out.resize(static_cast<std::size_t>(length));
    return U_SUCCESS(status);
}

const UNormalizer2* nfc_form() {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* form = unorm2_getNFCInstance(&status);
    return U_SUCCESS(status) ? form : nullptr;
}

struct SpoofCloser {
    void operator()(USpoofChecker* checker) const { uspoof_close(checker); }
};

// Configured once; checking with a configured checker is safe from any thread.
const USpoofChecker* script_checker() {
    static const std::unique_ptr<USpoofChecker, SpoofCloser> checker = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<USpoofChecker, SpoofCloser> c(uspoof_open(&status));
        uspoof_setChecks(c.get(), USPOOF_RESTRICTION_LEVEL | USPOOF_MIXED_NUMBERS, &status);
        uspoof_setRestrictionLevel(c.get(), USPOOF_MODERATELY_RESTRICTIVE);
        if (U_FAILURE(status)) c.reset();
        return c;
    }();
    return checker.get();
}

}  // namespace

namespace {

// The text through one of ICU's normal forms; text that is not UTF-8 comes back unchanged.
std::string normalised(const UNormalizer2* form, const std::string& text) {
    std::vector<UChar> wide;
    if (!form || !to_utf16(text, wide)) return text;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t in_length = static_cast<int32_t>(wide.size());
    int32_t length = unorm2_normalize(form, wide.data(), in_length, nullptr, 0, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return text;
    std::vector<UChar> normal(static_cast<std::size_t>(length) + 1, 0);
    status = U_ZERO_ERROR;
    unorm2_normalize(form, wide.data(), in_length, normal.data(), length + 1, &status);
    if (U_FAILURE(status)) return text;
    std::string out(static_cast<std::size_t>(length) * 3, '\0');
    int32_t written = 0;
    u_strToUTF8(&out[0], static_cast<int32_t>(out.size()), &written, normal.data(), length, &status);
    if (U_FAILURE(status)) return text;
    out.resize(static_cast<std::size_t>(written));
    return out;
}

}  // namespace

std::string nfc(const std::string& text) { return all_ascii(text) ? text : normalised(nfc_form(), text); }

std::string fold_case(const std::string& text) {
    if (all_ascii(text)) {
        std::string out = text;
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return out;
    }
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* form = unorm2_getNFKCCasefoldInstance(&status);
    return normalised(U_SUCCESS(status) ? form : nullptr, text);
}

bool is_nfc(const std::string& text) {
    const UNormalizer2* form = nfc_form();
    std::vector<UChar> wide;
    if (all_ascii(text) || !form || !to_utf16(text, wide)) return true;
    UErrorCode status = U_ZERO_ERROR;
    UBool normal = unorm2_isNormalized(form, wide.data(), static_cast<int32_t>(wide.size()), &status);
    return U_FAILURE(status) || normal;
}

bool is_invisible(char32_t c) {
    const UChar32 u = static_cast<UChar32>(c);
    switch (u_charType(u)) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR: return true;
    default: break;
    }
    return u_hasBinaryProperty(u, UCHAR_DEFAULT_IGNORABLE_CODE_POINT) ||
           u_hasBinaryProperty(u, UCHAR_NONCHARACTER_CODE_POINT);
}

NameProblem name_problem(const std::string& name) {
    for (std::size_t pos = 0; pos < name.size();) {
        char32_t c = utf8_next(name.data(), name.size(), &pos);
        if (u_isUWhiteSpace(static_cast<UChar32>(c))) return {NameFault::Space, c};
        if (is_invisible(c)) return {NameFault::Invisible, c};
    }
    const USpoofChecker* checker = script_checker();
    if (all_ascii(name) || !checker) return {};
    UErrorCode status = U_ZERO_ERROR;
    int32_t result = uspoof_checkUTF8(checker, name.data(), static_cast<int32_t>(name.size()), nullptr, &status);
    if (U_SUCCESS(status) && (result & (USPOOF_RESTRICTION_LEVEL | USPOOF_MIXED_NUMBERS)))
        return {NameFault::MixedScripts, 0};
    return {};
}

std::string code_point_label(char32_t c) {
    static const char hex[] = "0123456789ABCDEF";
    std::string digits;
    for (char32_t v = c; v || digits.size() < 4; v >>= 4) digits.insert(digits.begin(), hex[v & 15]);
    return "U+" + digits;
}

std::string terminal_text(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const unsigned char byte = static_cast<unsigned char>(text[pos]);
        char32_t c = utf8_next(text.data(), text.size(), &pos);
        bool broken = c == 0xFFFD && pos - start == 1;  // a byte that starts no character
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (broken || c < 0x20 || c == 0x7f) {
            out += std::string("\\x") + hex[byte >> 4] + hex[byte & 15];
        } else if (is_invisible(c)) {
            std::string label = code_point_label(c).substr(2);
            for (char& d : label) d = static_cast<char>(d >= 'A' ? d - 'A' + 'a' : d);
            out += "\\u{" + label + "}";
        } else {
            out.append(text, start, pos - start);
        }
    }
    return out;
}
