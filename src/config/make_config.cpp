// ketrel-makeconfig FILE: makes the supplied configuration database at FILE (build step).
#include <iostream>

#include "config/supplied_database.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " FILE\n";
        return 2;
    }
    std::string error;
    if (!ketrel::CreateSuppliedDatabase(argv[1], &error)) {
        std::cerr << argv[0] << ": " << error << "\n";
        return 1;
    }
    return 0;
}
