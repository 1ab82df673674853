// The command list of vortel-cli. Each command is a thin call of the same
// engine and command functions the desktop program uses.
#include "cli/cli_command.h"

#include "cli/csv_append_command.h"
#include "cli/dbf3_copy_command.h"
#include "cli/export_command.h"
#include "cli/file_commands.h"
#include "cli/print_command.h"
#include "cli/repair_command.h"
#include "cli/sql_command.h"
#include "cli/structure_command.h"
#include "cli/table_commands.h"
#include "cli/transfer_commands.h"

#include <cstdint>

namespace vortel {

const std::vector<cli_command>& cli_commands()
{
    static const std::vector<cli_command> commands = {
        {"info", "T", "the table information: fields with their numbers, types, lengths", 1, 1, {}, {},
         run_info_command},
        {"list", "T [--from N] [--count M] [--raw] [--where CONDITION]",
         "the records as the table window shows them, tab-separated, after a line of captions; with --where\n"
         "      only those whose fields satisfy the SQL condition (as sql reads them: VAROS = 'Ózd' AND\n"
         "      FIZETES > 500000), as the table window's Filter shows them",
         1, 1, {"--from", "--count", "--where"}, {"--raw"}, run_list_command},
        {"memo", "T N FIELD [--write FILE|-]",
         "print the memo of FIELD in record N as it is, or store a new text from FILE (- for standard input)", 3,
         3, {"--write"}, {}, run_memo_command},
        {"set", "T N FIELD VALUE", "store VALUE into FIELD of record N as the cell editor does", 4, 4, {}, {},
         run_set_command},
        {"new", "T", "append a blank record and print its number", 1, 1, {}, {}, run_new_command},
        {"delete", "T N", "delete record N, or recall it when it is deleted", 2, 2, {}, {}, run_delete_command},
        {"search", "T TEXT [--from N] [--up] [--column FIELD] [--case]",
         "the next record after N (default 1) holding TEXT; prints its number", 2, 2, {"--from", "--column"},
         {"--up", "--case"}, run_search_command},
        {"copy-to", "T OUT [--overwrite] [--encoding utf-8] [--where CONDITION]",
         "write the records as fixed-width text lines, in the table's own bytes or in UTF-8", 2, 2,
         {"--encoding", "--where"}, {"--overwrite"}, run_copy_to_command},
        {"copy-to-dbf3", "T OUT.DBF [--overwrite]",
         "write a plain dBase III copy that can be edited, each field in its nearest dBase III type; prints what "
         "it converted or dropped", 2, 2, {}, {"--overwrite"}, run_copy_to_dbf3_command},
        {"html", "T OUT [--overwrite] [--encoding utf-8] [--where CONDITION]",
         "write the live records as an HTML table titled SET_CEGNEV, in Windows-1250 or UTF-8", 2, 2,
         {"--encoding", "--where"}, {"--overwrite"}, run_html_command},
        {"export",
         "T... OUT [--format csv|xlsx|jsonl|sqlite|postgresql] [--delimiter ,|;|tab] [--encoding utf-8|table] [--bom] "
         "[--deleted skip|mark] [--dates iso|picture] [--logicals tf|words] [--lf] [--overwrite] "
         "[--table NAME] [--replace|--append] [--where CONDITION]",
         "write the records for other programs: CSV with a header row, JSON Lines (one object per record), an\n"
         "      Excel workbook with typed cells, or an SQLite database (.sqlite, .db) with a typed table per T\n"
         "      named as sql names it, added to what the database holds; the format follows OUT's extension\n"
         "      unless --format names it. Only a database takes several tables.\n"
         "      --delimiter  CSV field separator (default ,)\n"
         "      --encoding   CSV text in UTF-8 (default) or in the table's own code page\n"
         "      --bom        start UTF-8 CSV with a byte order mark\n"
         "      --deleted    leave deleted records out, or write them with a _deleted column\n"
         "                   (default: skip when SET_DELETED is on, mark when it is off)\n"
         "      --dates      CSV dates as 2024-01-31 (default) or as the grid shows them (@D)\n"
         "      --logicals   CSV logicals as T/F (default) or true/false\n"
         "      --lf         end CSV lines with LF instead of CR LF\n"
         "      --overwrite  replace OUT when it exists\n"
         "      OUT may name a PostgreSQL database instead (postgresql://user@host/db, postgres://..., or\n"
         "      libpq's key=value words); the records are loaded in one transaction, all or none, into a\n"
         "      typed table (deleted records only with --deleted mark). A password comes from PGPASSWORD\n"
         "      or ~/.pgpass.\n"
         "      --table      the PostgreSQL table's name (default: T's file name in lower case)\n"
         "      --replace    replace a table of the same name in the database\n"
         "      --append     add the records to a PostgreSQL table of that name whose columns take them\n"
         "      --where      only the records whose fields satisfy the SQL condition (not into a database)",
         2, SIZE_MAX, {"--format", "--delimiter", "--encoding", "--deleted", "--dates", "--logicals", "--table", "--where"},
         {"--bom", "--lf", "--overwrite", "--replace", "--append"}, run_export_command},
        {"sql", "\"SELECT ...\" T... [--csv|--json]",
         "run an SQL query (SQLite's language) over the tables, each named after its file without the\n"
         "      extension, in capitals (dolgozo.dbf is DOLGOZO); fields are columns, with _recno and _deleted\n"
         "      besides. N reads as INTEGER or REAL (the exact digits as TEXT where a REAL would round), D as\n"
         "      2024-01-31, L as 1/0, C and M as text; blank N, D and L as NULL. Prints a header row and the rows\n"
         "      tab-separated, as CSV with --csv, or as JSON Lines with --json. Nothing is written",
         2, SIZE_MAX, {}, {"--csv", "--json"}, run_sql_command},
        {"append",
         "T SOURCE [--format csv|xlsx] [--delimiter ,|;|tab] [--encoding utf-8|1250|852] [--on-error stop|skip|blank]",
         "append the records of another table, the lines of a fixed-width text file, or the rows of a CSV file\n"
         "      or of a workbook's first sheet\n"
         "      --format     csv or xlsx: read SOURCE so whatever its name (a .csv or .xlsx name says so too)\n"
         "      --delimiter  CSV field separator (default: the one the header row uses)\n"
         "      --encoding   CSV text encoding (default: UTF-8 when the file is valid UTF-8, else the table's)\n"
         "      --on-error   a value its field refuses: stop before anything is written (default), skip\n"
         "                   the row, or store the field blank\n"
         "      The CSV header row names the fields, in any letter case; other columns are ignored",
         2, 2, {"--format", "--delimiter", "--encoding", "--on-error"}, {}, run_append_command},
        {"create-from",
         "T IN.csv|IN.xlsx [--format csv|xlsx] [--delimiter ,|;|tab] [--encoding utf-8|1250|852] "
         "[--on-error stop|skip|blank] [--fields NAME:TYPE:LEN:DEC,...] [--dry-run] [--overwrite] [--codepage PAGE]",
         "create a table whose structure the rows of a CSV file or of a workbook's first sheet propose, and\n"
         "      fill it with them; prints the fields as create takes them, and says which columns were renamed\n"
         "      to be field names.\n"
         "      A column is L when it holds only T, F, Y, N, I, true and false; D when only dates (2024-01-31\n"
         "      or as SET_DATEFORMAT shows them); N when only numbers (as wide as the widest, with the most\n"
         "      decimals seen); otherwise C as wide as its longest value, or M past 254 bytes.\n"
         "      A _deleted column marks records deleted instead of making a field.\n"
         "      --fields     the proposed fields of these names take these types and lengths instead\n"
         "      --dry-run    print the proposed fields only\n"
         "      --overwrite  replace T when it exists (only once every row is in)\n"
         "      A sheet's numbers are written with the decimals their format shows, its dates as 2024-01-31.\n"
         "      The other options as append takes them (for CSV files)",
         2, 2, {"--format", "--delimiter", "--encoding", "--on-error", "--fields"}, {"--dry-run", "--overwrite"},
         run_create_from_command},
        {"sort", "T KEY [--magyar] [--memory MB]",
         "sort the records by KEY: field names or numbers joined by + (NAME+CITY, #3+#1); --magyar folds accents; "
         "beyond MB megabytes (default 256) the sort works in runs merged from a scratch file beside the table",
         2, 2, {"--memory"}, {"--magyar"}, run_sort_command},
        {"create", "T FIELD... [--overwrite] [--codepage PAGE]",
         "create an empty table in code page PAGE (default 852, 1250 under SET_OEMTOANSI=0); each FIELD is "
         "NAME:TYPE[:LEN[:DEC]] with TYPE one of C N D L M", 2, SIZE_MAX,
         {}, {"--overwrite"}, run_create_command},
        {"modify", "T FIELD...", "change the structure of T, copying its records by field name", 2, SIZE_MAX, {}, {},
         run_modify_command},
        {"pack", "T", "remove the deleted records", 1, 1, {}, {}, run_pack_command},
        {"zap", "T", "remove all records", 1, 1, {}, {}, run_zap_command},
        {"print", "T OUT.pdf [--columns NAME,...] [--search TEXT] [--memos] [--paper A4|A3|A5|Letter|Legal] "
                  "[--landscape] [--margins MM] [--overwrite]",
         "print the table listing to a PDF file: the named columns, or every field, of the records holding TEXT "
         "in any field, or of all; with --memos memo texts under their record; laid out for the paper (default "
         "A4), turned sideways with --landscape, with margins of MM millimetres on every side",
         2, 2, {"--columns", "--search", "--paper", "--margins"}, {"--overwrite", "--landscape", "--memos"},
         run_print_command},
        {"structure", "T", "the stored layout of table T: header numbers and fields", 1, 1, {}, {},
         [](cli_context& c) { return print_structure(c.positional[0], c.out, c.errors); }},
        {"repair", "T",
         "write the record count the file holds into the header of T, keeping a copy of T as it was (T.OLD1)", 1,
         1, {}, {}, run_repair_command},
    };
    return commands;
}

}  // namespace vortel
