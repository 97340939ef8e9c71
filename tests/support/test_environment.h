// What the test environment provides: a throwaway PostgreSQL server (VARO_TEST_PG, a libpq
// connection string) and whether its absence is a failure (VARO_REQUIRE_PG=1, as in CI).
#ifndef TARNWRIGHT_TESTS_TEST_ENVIRONMENT_H
#define TARNWRIGHT_TESTS_TEST_ENVIRONMENT_H

namespace testenv {
bool postgres_available();
bool postgres_required();
}  // namespace testenv

#endif
