// Server-free helpers of the PostgreSQL backend.
#include "varo/pg_support.h"

#include <libpq-fe.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace varo {

namespace {

// Length of a dollar-quote tag ("$$" or "$name$") starting at sql[i], or 0.
std::size_t dollar_tag_length(const std::string& sql, std::size_t i) {
    std::size_t j = i + 1;
    while (j < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[j])) || sql[j] == '_')) ++j;
    if (j < sql.size() && sql[j] == '$') {
        // "$1" is a parameter, not a tag.
        if (j > i + 1 && std::isdigit(static_cast<unsigned char>(sql[i + 1]))) return 0;
        return j - i + 1;
    }
    return 0;
}

}  // namespace

NumberedSql number_placeholders(const std::string& sql) {
    NumberedSql out;
    out.text.reserve(sql.size() + 16);
    std::size_t i = 0;
    while (i < sql.size()) {
        char c = sql[i];
        if (c == '\'' || c == '"') {
            // A doubled quote inside stays inside: the scan just resumes in the same state.
            std::size_t end = sql.find(c, i + 1);
            end = end == std::string::npos ? sql.size() : end + 1;
            out.text.append(sql, i, end - i);
            i = end;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            std::size_t end = sql.find('\n', i);
            end = end == std::string::npos ? sql.size() : end;
            out.text.append(sql, i, end - i);
            i = end;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            std::size_t end = sql.find("*/", i + 2);
            end = end == std::string::npos ? sql.size() : end + 2;
            out.text.append(sql, i, end - i);
            i = end;
        } else if (c == '$' && dollar_tag_length(sql, i) > 0) {
            std::size_t n = dollar_tag_length(sql, i);
            std::string tag = sql.substr(i, n);
            std::size_t end = sql.find(tag, i + n);
            end = end == std::string::npos ? sql.size() : end + n;
            out.text.append(sql, i, end - i);
            i = end;
        } else if (c == '?') {
            out.text += '$';
            out.text += std::to_string(++out.count);
            ++i;
        } else {
            out.text += c;
            ++i;
        }
    }
    return out;
}

std::string array_literal(const std::vector<Value>& values) {
    std::string out = "{";
    for (const Value& v : values) {
        if (out.size() > 1) out += ',';
        if (const auto* n = std::get_if<std::int64_t>(&v)) {
            out += std::to_string(*n);
        } else if (const auto* t = std::get_if<std::string>(&v)) {
            if (t->find('\0') != std::string::npos)
                throw StoreError(StoreError::Invalid, "A text holding a NUL byte cannot be stored");
            out += '"';
            for (char c : *t) {
                if (c == '"' || c == '\\') out += '\\';
                out += c;
            }
            out += '"';
        } else {
            out += "NULL";
        }
    }
    return out + "}";
}

Settings connection_settings(const std::string& conninfo) {
    char* error = nullptr;
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> parsed(
        PQconninfoParse(conninfo.c_str(), &error), &PQconninfoFree);
    if (!parsed) {
        std::string text = error ? error : "out of memory";
        if (error) PQfreemem(error);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        // libpq quotes the words it could not read, which may be part of a password.
        if (may_hold_password(conninfo)) text = "it could not be read (not shown: it may hold a password)";
        throw StoreError(StoreError::Unavailable, "Bad PostgreSQL connection string: " + text);
    }
    Settings settings;
    bool has_dbname = false, has_service = false;
    for (PQconninfoOption* o = parsed.get(); o->keyword; ++o) {
        if (!o->val) continue;
        std::string key = o->keyword;
        if (key == "dbname" && *o->val) has_dbname = true;
        if (key == "service" && *o->val) has_service = true;
        settings.emplace_back(key, o->val);
    }
    auto add_default = [&settings](const char* key, const char* value) {
        for (const auto& kv : settings)
            if (kv.first == key) return;
        settings.emplace_back(key, value);
    };
    // A peer that goes silent is noticed within about half a minute, and a host that
    // does not answer fails the connection in a few seconds rather than hanging the editor.
    add_default("keepalives", "1");
    add_default("keepalives_idle", "5");
    add_default("keepalives_interval", "2");
    add_default("keepalives_count", "3");
    // Keepalives stay quiet while sent data waits for its acknowledgement: bound that too.
    add_default("tcp_user_timeout", "15000");
    add_default("connect_timeout", "5");
    add_default("application_name", "tarnwright");
    auto env_set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    if (!has_dbname && !has_service && !env_set("PGDATABASE") && !env_set("PGSERVICE"))
        settings.emplace_back("dbname", "varo");
    return settings;
}

namespace {
std::string redact_uri(std::string a) {
    std::size_t start = a.find("://") + 3;
    std::size_t end = a.find_first_of("/?", start);
    std::size_t at = a.rfind('@', end == std::string::npos ? std::string::npos : end);
    if (at != std::string::npos && at >= start) {
        std::size_t colon = a.find(':', start);
        if (colon != std::string::npos && colon < at) a.replace(colon + 1, at - colon - 1, "***");
    }
    std::size_t query = a.find('?');
    while (query != std::string::npos) {
        std::size_t key = query + 1;
        std::size_t next = a.find('&', key);
        if (a.compare(key, 9, "password=") == 0) {
            std::size_t value = key + 9;
            a.replace(value, (next == std::string::npos ? a.size() : next) - value, "***");
            next = a.find('&', value);
        }
        query = next;
    }
    return a;
}

std::string redact_keywords(const std::string& a) {
    std::string out;
    std::size_t i = 0;
    while (i < a.size()) {
        std::size_t key = a.find("password", i);
        if (key == std::string::npos) break;
        std::size_t eq = a.find_first_not_of(" \t", key + 8);
        std::size_t word = key >= 3 && a.compare(key - 3, 3, "ssl") == 0 ? key - 3 : key;  // sslpassword too
        bool at_word_start = word == 0 || a[word - 1] == ' ' || a[word - 1] == '\t';
        if (!at_word_start || eq == std::string::npos || a[eq] != '=') {
            out.append(a, i, key + 8 - i);
            i = key + 8;
            continue;
        }
        std::size_t value = a.find_first_not_of(" \t", eq + 1);
        out.append(a, i, eq + 1 - i);
        out += "***";
        if (value == std::string::npos) return out;
        std::size_t end = value;
        if (a[value] == '\'') {
            for (end = value + 1; end < a.size() && a[end] != '\''; ++end)
                if (a[end] == '\\') ++end;
            end = std::min(end + 1, a.size());
        } else {
            end = a.find_first_of(" \t", value);
            if (end == std::string::npos) end = a.size();
        }
        i = end;
    }
    out.append(a, std::min(i, a.size()), std::string::npos);
    return out;
}
}  // namespace

std::string redact_address(const std::string& address) {
    std::size_t scheme = address.find("://");
    if (scheme != std::string::npos) return redact_uri(address);
    return redact_keywords(address);
}

bool may_hold_password(const std::string& address) {
    if (redact_address(address) != address || address.find('@') != std::string::npos) return true;
    std::string lower = address;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("password") != std::string::npos;
}

StoreError::Kind kind_for_sqlstate(const std::string& sqlstate, const std::string& sql) {
    if (sqlstate == "23505") return StoreError::Exists;
    if (sqlstate == "P0002") return StoreError::NotFound;
    if (sqlstate == "23503") {
        // Removing a row others refer to is "in use"; referring to a missing one is invalid.
        std::size_t i = sql.find_first_not_of(" \t\r\n");
        std::string verb;
        while (i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])))
            verb += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i++])));
        return verb == "DELETE" ? StoreError::InUse : StoreError::Invalid;
    }
    if (sqlstate.compare(0, 2, "23") == 0 || sqlstate.compare(0, 2, "22") == 0) return StoreError::Invalid;
    // Overtaken by other writers more times than it was tried again, not permitted, or a lock
    // that could not be had: this write only, the connection stays. Never a conflict: the
    // stored objects' versions tell those.
    if (is_retryable_sqlstate(sqlstate) || sqlstate == "42501" || sqlstate == "55P03" || sqlstate == "25006")
        return StoreError::Busy;
    if (sqlstate.compare(0, 2, "08") == 0 || sqlstate.compare(0, 3, "57P") == 0 || sqlstate == "53300" ||
        sqlstate == "28000" || sqlstate == "28P01")
        return StoreError::Unavailable;
    return StoreError::Corrupt;
}

std::string one_line(const std::string& libpq_message) {
    std::string out;
    std::size_t start = 0;
    while (start < libpq_message.size()) {
        std::size_t end = libpq_message.find('\n', start);
        if (end == std::string::npos) end = libpq_message.size();
        std::string line = libpq_message.substr(start, end - start);
        start = end + 1;
        // libpq writes the server's severity with two blanks after it, at the start of a
        // line or after "failed: ".
        for (const char* word : {"FATAL:  ", "ERROR:  ", "DETAIL:  ", "HINT:  "})
            for (std::size_t at; (at = line.find(word)) != std::string::npos;) line.erase(at, std::strlen(word));
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
        std::size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos) continue;
        line = line.substr(first, line.find_last_not_of(' ') - first + 1);
        if (!out.empty()) out += out.back() == '.' ? " " : "; ";
        out += line;
    }
    return out;
}

bool is_retryable_sqlstate(const std::string& sqlstate) {
    return sqlstate == "40001" || sqlstate == "40P01";
}

}  // namespace varo
