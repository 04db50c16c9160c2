#include <iostream>

#include "cli.h"

int main(int argc, char** argv) {
    ketrel::cli::GlobalOptions options;
    std::string error;
    if (!ketrel::cli::ParseGlobal(argc, argv, options, &error)) {
        std::cerr << "ketrel: " << error << "\n" << ketrel::cli::Usage();
        return ketrel::cli::kExitUsage;
    }
    if (options.subcommand.empty()) {
        std::cerr << "ketrel: the tray program is not built yet; use a subcommand\n"
                  << ketrel::cli::Usage();
        return ketrel::cli::kExitUsage;
    }
    return ketrel::cli::Run(options, std::cout, std::cerr);
}
