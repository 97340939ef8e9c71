// varoctl: administers a Varo store from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "varoctl/commands.h"

#ifndef TARNWRIGHT_VERSION
#define TARNWRIGHT_VERSION "1.2"
#endif


int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string address;
    std::vector<std::string> command;
    bool options_ended = false;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (!command.empty() || options_ended) {
                command.push_back(a);
            } else if (a == "--") {
                options_ended = true;
            } else if (a == "--help" || a == "-h") {
                std::cout << varoctl::kUsage;
                return 0;
            } else if (a == "--version") {
                std::cout << "varoctl " TARNWRIGHT_VERSION "\n";
                return 0;
            } else if (a == "--store" || a.rfind("--store=", 0) == 0) {
                if (a == "--store" && i + 1 >= args.size()) throw varoctl::UsageError("--store needs a store address");
                address = a == "--store" ? args[++i] : a.substr(8);
                // Empty (an unset shell variable, say) must not quietly mean the default store.
                if (address.empty()) throw varoctl::UsageError("--store needs a store address");
                // Every user on the machine can read a program's arguments (ps, /proc).
                if (varo::holds_password(address))
                    throw varoctl::UsageError(
                        "--store holds a password, which every user on this machine can read (ps): give it in "
                        "PGPASSWORD, a ~/.pgpass file or a service file (PGSERVICE) instead");
            } else if (a.size() > 1 && a[0] == '-' && a != "-") {
                throw varoctl::UsageError("unknown option '" + a + "'");
            } else {
                command.push_back(a);
            }
        }
        varoctl::check_usage(command);
        if (address.empty()) address = varo::store_address_for_host("localhost");
        int status = varoctl::run(command, [&] { return varo::open_store(address, varo::Hold::OneCommand); }, std::cout);
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "varoctl: cannot write the output\n";
            return 1;
        }
        return status;
    } catch (const varoctl::UsageError& e) {
        std::cerr << "varoctl: " << varoctl::printable(e.what()) << "\nTry 'varoctl --help' for the commands.\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "varoctl: " << varoctl::printable(e.what()) << "\n";
        return 1;
    }
}
