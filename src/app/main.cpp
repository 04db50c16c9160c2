// ketrel: the tray program, or with a subcommand the command line (which needs no display).
#include <iostream>

#include "cli/cli.h"
#ifndef KETREL_WITHOUT_WINDOW
#include "app/tray_program.h"
#endif

int main(int argc, char** argv) {
    ketrel::cli::GlobalOptions options;
    std::string error;
    if (!ketrel::cli::ParseGlobal(argc, argv, options, &error)) {
        std::cerr << "ketrel: " << error << "\n" << ketrel::cli::Usage();
        return ketrel::cli::kExitUsage;
    }
    if (!options.subcommand.empty()) return ketrel::cli::Run(options, std::cout, std::cerr);
#ifdef KETREL_WITHOUT_WINDOW
    std::cerr << "ketrel: built without the window; use a subcommand\n" << ketrel::cli::Usage();
    return ketrel::cli::kExitUsage;
#else
    return ketrel::RunTrayProgram(argc, argv, options);
#endif
}
