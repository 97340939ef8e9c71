// Temporary folders for tests; see scratch_store.h.
#include "support/scratch_store.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace testenv {

ScratchDir::ScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarnwright-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = buf.data();
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string scratch_sqlite_spec(const ScratchDir& dir) { return "sqlite:" + dir.path() + "/varo.db"; }

}  // namespace testenv
