// Refusals: the bounded last-error text, the error hook, and the argument checks.
#include <cctype>
#include <cstring>

#include "platform/qori_internal.h"
#include "base/utf8.h"

char qori_error_str[100] = "";
int qori_error_kind = 0;

namespace {
std::string& whole_error_text() {
    static std::string text;
    return text;
}
}  // namespace

const char* qori_error_text() { return whole_error_text().c_str(); }

namespace qori_detail {

void copy_cut(char* out, std::size_t size, const std::string& text) {
    if (!out || size == 0) return;
    std::size_t n = utf8_cut_length(text, size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

bool refuse(int code, const std::string& text) {
    copy_cut(qori_error_str, sizeof qori_error_str, text);
    whole_error_text() = text;
    qori_error_kind = code;
    error.set_error(code, qori_error_str);
    return false;
}

int code_for(varo::StoreError::Kind kind) {
    switch (kind) {
    case varo::StoreError::Invalid: return ERR_INVALID;
    case varo::StoreError::NotFound: return ERR_NOT_FOUND;
    case varo::StoreError::Exists: return ERR_EXISTS;
    case varo::StoreError::InUse: return ERR_IN_USE;
    case varo::StoreError::Running: return ERR_RUNNING;
    case varo::StoreError::Conflict: return ERR_CONFLICT;
    case varo::StoreError::Unavailable: return ERR_UNAVAILABLE;
    case varo::StoreError::Busy: return ERR_BUSY;
    case varo::StoreError::Corrupt: return ERR_CORRUPT;
    }
    return ERR_INTERNAL;
}

bool refuse_store_error(const std::string& what, const varo::StoreError& err) {
    if (err.kind() == varo::StoreError::Unavailable) engine().lost = true;
    return refuse(code_for(err.kind()), what.empty() ? std::string(err.what()) : what + ": " + err.what());
}

std::string quoted(const std::string& name) {
    const std::size_t shown = 40;
    if (name.size() <= shown) return "'" + name + "'";
    std::size_t n = utf8_cut_length(name, shown);
    return "'" + name.substr(0, n) + "...'";
}

bool check_name(const char* what, const char* name) {
    if (!name || !*name) return refuse(ERR_INVALID, std::string(what) + " name is empty");
    std::size_t len = std::strlen(name);
    for (std::size_t i = 0; i < len; ++i)
        if (std::isspace(static_cast<unsigned char>(name[i])))
            return refuse(ERR_INVALID, std::string(what) + " name " + quoted(name) + " contains white space");
    if (len > QORI_NAME_MAX)
        return refuse(ERR_INVALID, std::string(what) + " name " + quoted(name) + " is longer than " +
                                       std::to_string(QORI_NAME_MAX) + " characters");
    return true;
}

bool check_descr(const char* what, const char* descr) {
    if (descr && std::strlen(descr) > QORI_DESCR_MAX)
        return refuse(ERR_INVALID, std::string(what) + " description is longer than " +
                                       std::to_string(QORI_DESCR_MAX) + " bytes");
    return true;
}

bool check_range(const char* what, int value) {
    if (value < QORI_VALUE_MIN || value > QORI_VALUE_MAX)
        return refuse(ERR_INVALID, std::string(what) + " " + std::to_string(value) + " is outside " +
                                       std::to_string(QORI_VALUE_MIN) + ".." + std::to_string(QORI_VALUE_MAX));
    return true;
}

}  // namespace qori_detail
