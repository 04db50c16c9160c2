// The import file reader on any text: it never fails but with problems it can name, every
// problem names a line of the file, and a document it takes without a problem is one the
// program writes back unchanged (read, written, read again: the same tables).
#include "config/config_file.h"
#include "fuzz_support.h"

void ketrel::fuzz::FuzzOne(Input& input) {
    const std::string_view text = input.rest();
    FileProblems problems;
    const std::optional<ConfigTables> tables = ParseConfigFile(text, problems);
    if (!tables) return Check(!problems.empty());
    ValidateConfigTables(*tables, problems);
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    for (const FileProblem& p : problems) {
        Check(p.line >= 0 && p.line <= lines);
        Check(!p.Describe().empty());
    }
    if (!problems.empty()) return;
    FileProblems again;
    const std::optional<ConfigTables> reread = ParseConfigFile(FormatConfigFile(*tables), again);
    Check(reread && again.empty() && reread->size() == tables->size());
    for (std::size_t t = 0; t < tables->size(); ++t) {
        Check((*reread)[t].name == (*tables)[t].name);
        Check((*reread)[t].columns == (*tables)[t].columns);
        Check((*reread)[t].rows == (*tables)[t].rows);
    }
}
