#pragma once

#include <string>
#include <string_view>

namespace ketrel {

// The statements that make the configuration database supplied with the program: every table
// with every row it must hold.
std::string_view SuppliedDatabaseSql();

// Makes the supplied database at path. Never replaces a file that is already there: the user's
// configuration lives in it. False with the reason in *error.
bool CreateSuppliedDatabase(const std::string& path, std::string* error = nullptr);

}  // namespace ketrel
