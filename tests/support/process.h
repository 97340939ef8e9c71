// Runs a program to its end with the given arguments and standard input, collecting its
// output and exit status.
#ifndef TARNWRIGHT_TESTS_PROCESS_H
#define TARNWRIGHT_TESTS_PROCESS_H

#include <string>
#include <vector>

namespace testenv {

struct ProcessResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input = "");

}  // namespace testenv

#endif
