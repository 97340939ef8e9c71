// Column access of the database layer's rows, and the statement-at-a-time defaults.
#include "varo/db.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

namespace varo {

void retry_pause(int attempt) {
    static thread_local std::minstd_rand jitter(std::random_device{}());
    int ceiling_ms = 2 << (attempt < 6 ? attempt : 6);  // 4, 8, ... 128 ms
    std::uniform_int_distribution<int> pick(1, ceiling_ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(pick(jitter)));
}

std::vector<Rows> Db::batch(const std::vector<Statement>& statements) {
    std::vector<Rows> out;
    out.reserve(statements.size());
    for (const Statement& s : statements) out.push_back(query(s.sql, s.params));
    return out;
}

std::vector<Statement> Db::insert_rows(const std::string& table, const std::vector<Column>& columns,
                                       std::vector<Params> rows) const {
    std::string sql = "INSERT INTO " + table + " (", values;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + columns[i].name;
        values += i ? ", ?" : "?";
    }
    sql += ") VALUES (" + values + ")";
    std::vector<Statement> out;
    out.reserve(rows.size());
    for (Params& row : rows) out.push_back({sql, std::move(row)});
    return out;
}

RowsReplacement Db::replace_rows(const std::string& table, const Column& owner, const Value& key,
                                 const std::vector<Column>& columns, std::vector<Params> rows) const {
    std::vector<Column> all = {owner};
    all.insert(all.end(), columns.begin(), columns.end());
    for (Params& row : rows) row.insert(row.begin(), key);
    return {{{"DELETE FROM " + table + " WHERE " + owner.name + " = ?", {key}}}, insert_rows(table, all, std::move(rows))};
}

// A JSON array of strings, as json_each reads it.
Value Db::text_list(const std::vector<std::string>& texts) const {
    std::string out = "[";
    for (const std::string& t : texts) {
        if (out.size() > 1) out += ',';
        out += '"';
        for (char c : t) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
        out += '"';
    }
    return out + "]";
}

void Db::backup_to(const std::string&) {
    throw StoreError(StoreError::Invalid,
                     "a PostgreSQL store is copied with the server's own pg_dump, or written to a file with "
                     "'varoctl export FILE'");
}

void Store::backup_to(const std::string&) {
    throw StoreError(StoreError::Invalid, "this store cannot be copied: write it to a file with 'varoctl export FILE'");
}

std::int64_t Row::integer(std::size_t i) const {
    if (i >= columns.size()) return 0;
    if (const auto* v = std::get_if<std::int64_t>(&columns[i])) return *v;
    if (const auto* s = std::get_if<std::string>(&columns[i])) {
        // A backend that hands every column back as text (libpq in text mode).
        try {
            return std::stoll(*s);
        } catch (const std::exception&) {
            return 0;
        }
    }
    return 0;
}

const std::string& Row::text(std::size_t i) const {
    static const std::string empty;
    if (i >= columns.size()) return empty;
    if (const auto* s = std::get_if<std::string>(&columns[i])) return *s;
    return empty;
}

bool Row::is_null(std::size_t i) const {
    return i >= columns.size() || std::holds_alternative<std::nullptr_t>(columns[i]);
}

}  // namespace varo
