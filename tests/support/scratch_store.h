// A temporary folder per test, and the embedded store specification inside it.
#ifndef TARNWRIGHT_TESTS_SCRATCH_STORE_H
#define TARNWRIGHT_TESTS_SCRATCH_STORE_H

#include <string>

namespace testenv {

// A fresh folder under TMPDIR, removed with everything in it when destroyed.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// "sqlite:<dir>/varo.db": a store created and seeded on first open.
std::string scratch_sqlite_spec(const ScratchDir& dir);

}  // namespace testenv

#endif
