#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"
#include "config/config_db.h"

// The configuration file: every table of the configuration database as one readable, versioned
// JSON document, so that a room's setup can be kept, reviewed in version control and copied to
// another room. Rows keep their table order and every value is text, exactly as the database
// holds it.
//
//   {
//     "format": "ketrel-config",
//     "version": 1,
//     "tables": {
//       "SystemConfig": {
//         "columns": ["ID", "Name", "Value"],
//         "rows": [
//           ["1", "FuncFlag", "35"],
//           ...
//
// An import checks the whole file before it touches the database and then replaces every table
// in one transaction, so the database holds either the old configuration or the new one.
namespace ketrel {

inline constexpr const char* kConfigFileFormat = "ketrel-config";
inline constexpr int kConfigFileVersion = 1;
// A file larger than this is refused before it is read.
inline constexpr std::size_t kMaxConfigFileSize = std::size_t{16} << 20;

// One table as the file and the database hold it.
struct ConfigTable {
    std::string name;
    std::vector<std::string> columns;
    SqlRows rows;
    // The line of the file each cell stands on (empty when the table came from the database).
    std::vector<std::vector<int>> cellLines;
    // Rows whose shape was already reported while reading the file; the checks pass over them.
    std::vector<bool> rowReported;
    int line = 0;  // the line of the table in the file
};
using ConfigTables = std::vector<ConfigTable>;

// What is wrong, and where: the line of the file and the table, row (from 1) and column it
// belongs to; any of them may be unknown (0 or empty).
struct FileProblem {
    int line = 0;
    std::string table;
    int row = 0;
    std::string column;
    std::string text;

    // "文件第 12 行，SPTxCode 表第 3 行，Code 列：…"
    std::string Describe() const;
};
using FileProblems = std::vector<FileProblem>;

// The tables of the database, in the order of the file, with their columns.

// Every table of the database at path, read in one snapshot. Nothing, with the program's
// database message in *error, when the file cannot be opened or a table not read.
std::optional<ConfigTables> ReadConfigTables(const std::string& databasePath, std::string* error);

// The document for the tables: one row per line, tables in the order of ConfigTableSpecs().
std::string FormatConfigFile(const ConfigTables& tables);

// The tables of a document, with every problem of its shape added to problems. Nothing when the
// document cannot be read as a configuration file at all (not JSON, another format or version).
std::optional<ConfigTables> ParseConfigFile(std::string_view text, FileProblems& problems);

// Checks the tables against everything the program and the unit rely on: the tables and their
// columns, row counts, send-code texts, line settings, infrared protocol, key code groups,
// every SystemConfig value by its name and by the width its position has in the image, card
// numbers and actions, and the numbering that ties rows to channels and image slots.
void ValidateConfigTables(const ConfigTables& tables, FileProblems& problems);

// Replaces the rows of every table in one transaction; on any failure nothing changes. False
// with the reason in *error.
bool ReplaceConfigTables(const std::string& databasePath, const ConfigTables& tables,
                         std::string* error);

// The two commands. Each shows its outcome through the notifier; false on failure.
// Export writes the file whole or not at all (a temporary file renamed over it; through a
// symbolic link to the file it names), never over anything but a regular file nor over the
// database itself; "-" with standardOutput writes the document there. A database that would not
// pass the import's checks is still exported, with its problems shown as a warning.
bool ExportConfiguration(const std::string& databasePath, const std::string& filePath,
                         Notifier& notifier, std::ostream* standardOutput = nullptr);
// Import reads and checks the whole file first; with any problem it changes nothing and lists
// every problem with its place.
bool ImportConfiguration(const std::string& databasePath, const std::string& filePath,
                         Notifier& notifier);

// The problems as lines of a message, at most maxLines of them and a line saying how many more.
std::string DescribeProblems(const FileProblems& problems, std::size_t maxLines = 50);

}  // namespace ketrel
