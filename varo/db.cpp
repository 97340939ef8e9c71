// Column access of the database layer's rows.
#include "varo/db.h"

#include <chrono>
#include <random>
#include <thread>

namespace varo {

void retry_pause(int attempt) {
    static thread_local std::minstd_rand jitter(std::random_device{}());
    int ceiling_ms = 2 << (attempt < 6 ? attempt : 6);  // 4, 8, ... 128 ms
    std::uniform_int_distribution<int> pick(1, ceiling_ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(pick(jitter)));
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
