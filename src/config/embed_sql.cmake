# Writes OUT, a C++ source that holds the statements of SCHEMA and SEED as one string.
file(READ "${SCHEMA}" schema)
file(READ "${SEED}" seed)
set(delimiter "ketrelsql")
string(FIND "${schema}${seed}" ")${delimiter}" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "the SQL files contain the raw string delimiter )${delimiter}")
endif()
set(content "// Generated from ${SCHEMA} and ${SEED}; do not edit.
#include \"config/supplied_database.h\"

namespace ketrel {

std::string_view SuppliedDatabaseSql() {
    static constexpr char kSql[] = R\"${delimiter}(${schema}
${seed})${delimiter}\";
    return {kSql, sizeof kSql - 1};
}

}  // namespace ketrel
")
# Only touch the file when it changes, so a rebuild does not recompile it for nothing.
if(EXISTS "${OUT}")
    file(READ "${OUT}" old)
    if(old STREQUAL content)
        return()
    endif()
endif()
file(WRITE "${OUT}" "${content}")
