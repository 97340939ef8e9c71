// Shared by every test group: see test_environment.h.
#include "support/test_environment.h"

#include <cstdlib>
#include <string>

namespace testenv {

bool postgres_available() {
    const char* pg = std::getenv("VARO_TEST_PG");
    return pg != nullptr && *pg != '\0';
}

bool postgres_required() {
    const char* req = std::getenv("VARO_REQUIRE_PG");
    return req != nullptr && std::string(req) == "1";
}

}  // namespace testenv
