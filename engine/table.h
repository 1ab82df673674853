// The table object: one open dBase III table, its DBF file and, for tables
// with memo fields, its DBT file.
//
// It keeps exactly one record in memory (the current record), moves by
// reading the file directly, and turns field bytes into texts and texts back
// into field bytes. Nothing is cached beyond the current record, and the
// record count is re-read from the file whenever a decision depends on it,
// so records other processes append become visible.
//
// Invariants:
//  1. After every successful move the DBF position stands right after the
//     current record (header length + current record x record length), and
//     the record buffer holds that record. Record locks and record writes
//     rely on it.
//  2. At most one lock is held at a time: none, the current record's bytes,
//     or the whole file as it stood when the table lock was taken.
//  3. Inside the program texts are Windows-1250. Field and memo bytes in
//     the files are in the table's code page (engine/table_code_page.h) and
//     are converted on their way in and out; a character Windows-1250
//     cannot hold reads as '?' (field_shown_whole tells), and a text the
//     code page cannot hold is refused, never stored in part. Bulk copies
//     pass bytes as stored (texts_as_stored).
//  4. A read-only table (its reason set) changes no byte of its files:
//     record locks, record writes, appends and memo writes refuse with the
//     reason noted. The table lock is still granted, as readers take it to
//     see the table whole while they copy it.
#pragma once

#include "engine/dbf_format.h"
#include "engine/file_handle.h"
#include "engine/record_set.h"
#include "engine/table_code_page.h"
#include "engine/table_dialect.h"
#include "text/decimal_number.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vortel {

// Which records moves through a table pass, as if the table lacked them.
// The front-ends fill it from the settings (SET_DELETED) when they open a
// table and from the filter the user runs; the engine reads no setting for
// it, so that a table's walk depends on the table alone.
struct navigation_options {
    // Moves pass deleted records.
    bool hide_deleted = false;
    // When set, moves pass every record the set does not hold, records
    // appended after the filter ran included. Shared and never changed in
    // place: a window that changes its filter installs a new set.
    std::shared_ptr<const record_set> filter = nullptr;
};

// Whether moves pass record `number`, deleted or not: the one test every
// walk over a table's records applies, whether it moves the table object or
// reads the records in blocks of its own.
bool navigation_hides(const navigation_options& navigation, std::int32_t number, bool deleted);
// The filter's part of it alone, for walks that decide on deleted records
// by options of their own.
bool filter_hides(const navigation_options& navigation, std::int32_t number);

struct table_object {
    explicit table_object(std::string dbf_file_name);
    ~table_object();
    table_object(const table_object&) = delete;
    table_object& operator=(const table_object&) = delete;

    // The code page of the texts in the files and how it was found: from
    // SET_OEMTOANSI at construction, then what table_open finds, unless the
    // user chose one.
    table_code_page codepage;
    // 1 while a bulk copy moves texts as stored, unconverted.
    int texts_as_stored = 0;
    int open = 0;
    file_handle dbf;
    file_handle dbt;
    dbf_header header;
    int field_count = 0;
    std::int32_t current_record = 0;
    navigation_options navigation;
    dbt_header memo_header;
    std::vector<field_descriptor> fields;   // date lengths already forced to 8
    std::vector<std::uint8_t> record;       // the current record, record length bytes
    std::vector<std::int32_t> offsets;      // field count + 1 entries; offsets[0] is 1
    std::vector<std::uint8_t> blank_record; // record length blanks
    int end_of_file = 1;
    int beginning_of_file = 1;
    int table_locked = 0;
    std::int64_t lock_offset = 0;
    std::int64_t lock_length = 0;  // 0: no lock held
    std::string dbf_name;
    std::string dbt_name;
    int memo_header_held = 0;  // lock_memo_header holds the memo file's header lock
    // Why the latest operation on this table failed, in plain words and with
    // the file concerned ("Disk full: X.NEW1.DBF"); "" when nothing was noted.
    std::string failure;
    // Why the table can be viewed but not changed, in plain words, several
    // reasons joined by "; "; "" while it can be changed.
    std::string read_only;
    // Why the memo texts cannot be shown ("the memo file PD.DBT is
    // missing"); "" when they can.
    std::string memo_problem;
    // When the header counts records the file lacks: the whole records the
    // file holds, all the table shows. -1 otherwise.
    std::int64_t records_held = -1;
    // What wrote the table; a decoded one is read-only, its binary fields
    // read through engine/field_decode.h.
    table_dialect dialect;
    // The memo file's block size (dBase IV, 7 and FoxPro memo files say it).
    int memo_block_size = dbt_block_size;
    // The `_NullFlags` field (-1 when none) and, per field, its bit there
    // that marks the value null (-1 when the field is not nullable).
    int null_flags_field = -1;
    std::vector<int> null_bits;
    // Field names longer than a descriptor of ten characters holds (dBase
    // 7), one per field; empty otherwise.
    std::vector<std::string> long_names;
};

struct field_information {
    std::string name;
    char type = 0;
    int length = 0;
    int decimals = 0;
};

std::unique_ptr<table_object> table_new(const std::string& dbf_file_name);

// 1 when the table is open (also when it already was), 0 when it cannot be,
// with the reason noted on the table: no such file, or a file the judgement
// of engine/table_verdict.h refuses. A name that does not exist is never
// created. The table opens read-only, `read_only` saying why, when asked
// (`writable` 0), when the system lets us read but not write its file or
// memo file, when a 0x83 table's memo file is missing or cannot be read (its
// memo texts are then unavailable, `memo_problem` saying why), or when the
// header counts other than the records the file holds. A read-only open
// never asks the system for write access.
[[nodiscard]] int table_open(table_object& table, int writable = 1);
void table_close(table_object& table);

// The header's count, read afresh; never more than the records the file
// held at the open when the header counts records the file lacks.
std::int32_t record_count(table_object& table);
int field_count(const table_object& table);
int record_length(const table_object& table);
const std::string& table_file_name(const table_object& table);
std::int32_t current_record(const table_object& table);
int at_eof(const table_object& table);
int at_bof(const table_object& table);

field_information field_info(const table_object& table, int index);
int field_index(const table_object& table, std::string_view name);  // -1 when none
int field_offset(const table_object& table, int index);             // -1 when none
char field_type(const table_object& table, int index);              // 0 when none
int has_memo_fields(const table_object& table);

// Raw stored text of a field of the current record ("" for index -1), in
// the program's code page. In a table of another dBase-family version the
// shown text of a binary field (engine/field_decode.h), and "" for a value
// its null flags mark null.
std::string field_text(const table_object& table, int index);
// Whether field_text reads field `index` as a shown value rather than the
// stored bytes (a binary field, or one null flags cover); such a field's
// text is no stored text, and copies take it from field_text.
bool field_is_decoded(const table_object& table, int index);
// Whether field `index` of the current record (for a memo field, its memo)
// reads whole: false when some character of it shows as '?' because
// Windows-1250 cannot hold it. Such a field is not edited: its shown text
// stored back would lose the characters.
bool field_shown_whole(table_object& table, int index);
// Stores `text` into field `index` of the record buffer by the field's type
// rules, or refuses it and changes nothing. "" when stored; otherwise why,
// in plain words that name the field and its shape ("99999 does not fit
// PREMIUM N(5,1)"). Only memory changes; write_record stores the record.
// A text ends at its first zero byte; blanks around an N, L or D value do
// not count. The rules, so that no field ever holds a value it cannot
// show back or that other programs cannot read:
//  1. N (and F): a blank text stores a blank field, how dBase keeps "no
//     value". Otherwise the number the text spells (an exponent only with
//     number_spelling::with_exponent), rounded half away from zero to the
//     field's decimals and right-aligned, never through a double and never
//     "-0". Refused when the text spells no number or the result does not
//     fit the field's width.
//  2. L: T, t, Y, y store T; F, f, N, n store F; "?" stores "?", how other
//     programs keep "unknown"; a blank text stores a blank. Nothing else.
//  3. D: the eight digits of a valid date, as YYYYMMDD or with one separator
//     after the year and the month (2024.02.29); a blank text stores a
//     blank. Anything else is refused, never blanked.
//  4. C: the text cut to the field's length (never inside a character of a
//     multi-byte code page) and filled up with blanks.
// Every text is first converted to the table's code page; a character the
// code page cannot hold refuses the text and is named.
//  5. M and other types: the text (a memo's block number) cut to the
//     field's length, then zero bytes.
[[nodiscard]] std::string store_field_value(table_object& table, int index, std::string_view text,
                                            number_spelling spelling = number_spelling::with_exponent);
// store_field_value for callers that need no reason: 1 when stored, 0 when
// refused or for a bad index, the record buffer then unchanged.
[[nodiscard]] int set_field_text(table_object& table, int index, std::string_view text);
// The current record after its delete flag, in the program's code page.
std::string record_text(const table_object& table);
int is_deleted(const table_object& table);
// Whether moves pass the current record (navigation_hides).
bool record_hidden(const table_object& table);

// Moves. step moves by `delta` records, hidden or not. The others pass the
// records the navigation hides, jumping over a filter's gaps without
// reading the records in them: skip by `count` shown records, staying put
// when only hidden records lie that way; go_to onto record `number` or the
// first shown record after it, else the last shown record. When no record
// shows, the table ends on a hidden record with end of file set.
int step(table_object& table, int delta);
int skip(table_object& table, std::int32_t count);
int go_top(table_object& table);
int go_bottom(table_object& table);
int go_to(table_object& table, std::int32_t number);
// Moves onto record `number` itself and nowhere else: unlike go_to it
// passes no deleted record, whatever the navigation hides, so that a command
// naming a record acts on exactly that one. 1 when the buffer holds record
// `number` read whole; 0 when the table has no such record or it cannot be
// read whole, and the table then stays on the record it stood on.
[[nodiscard]] int go_to_exactly(table_object& table, std::int32_t number);

// Record changes under locks.
[[nodiscard]] int lock_record(table_object& table);
[[nodiscard]] int lock_table(table_object& table);
int unlock(table_object& table);
// Whether the held lock lets write_record store the current record: the
// table lock, or a record lock on exactly the current record.
bool record_writable(table_object& table);
[[nodiscard]] int write_record(table_object& table);
[[nodiscard]] int append_blank(table_object& table);
[[nodiscard]] int delete_record(table_object& table);
[[nodiscard]] int recall_record(table_object& table);

// The memo whose first block the field text names; "" when there is none.
// Read whole, whatever its length.
std::string memo_read(table_object& table, std::string_view block_text);
// The same into `text`; false when reading the memo file failed, or the
// memo file is unavailable (memo_problem), so that copies do not store a
// memo cut short or lost as if it were whole.
[[nodiscard]] bool memo_read_whole(table_object& table, std::string_view block_text, std::string& text);
// Stores `text` as the memo of field `index` of the current record; the
// caller holds the record or the table lock. 1 on success, 0 on failure
// (also on a read-only table), -1 when the memo file cannot even be
// positioned.
[[nodiscard]] int memo_write(table_object& table, int index, std::string_view text);
// Holds the memo file's header lock until unlock_memo_header, so that no
// other process places a memo meanwhile: a bulk operation can then take
// back every block it added. memo_write meanwhile places memos without a
// lock of its own. 1, or 0 when the table has no memo file open or another
// handle holds the lock.
[[nodiscard]] int lock_memo_header(table_object& table);
void unlock_memo_header(table_object& table);

// Read-only tables.
inline constexpr const char* asked_read_only_reason = "opened read-only as asked";
bool is_read_only(const table_object& table);
// What every change of a read-only table is refused with: "The table is
// read-only: <why>". "" for a table that can be changed.
std::string read_only_refusal(const table_object& table);
// Notes the refusal on the table and gives true when the table is read-only.
bool refuse_when_read_only(table_object& table);

// Failure notes. An operation that gives up notes why on its table; the
// first note stands until cleared, as clean-up after a failure may fail
// too and says less about what went wrong. Commands clear the note before
// an operation and show it after a failure.
void clear_failure(table_object& table);
void note_failure(table_object& table, std::string reason);
// The system error `file` last met, with its name: "Disk full: X.DBF".
void note_failure(table_object& table, const file_handle& file);

}  // namespace vortel
