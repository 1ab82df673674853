#include "engine/record_copy.h"

#include "engine/field_copy.h"
#include "engine/memo_batch.h"
#include "engine/memo_read_ahead.h"
#include "engine/record_blocks.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace vortel {
namespace {

// Bytes pass as stored while records are copied between tables; each table
// gets its own way back afterwards.
class raw_texts {
public:
    raw_texts(table_object& a, table_object& b)
        : a_(a), b_(b), a_kept_(a.texts_as_stored), b_kept_(b.texts_as_stored)
    {
        a.texts_as_stored = b.texts_as_stored = 1;
    }
    ~raw_texts()
    {
        a_.texts_as_stored = a_kept_;
        b_.texts_as_stored = b_kept_;
    }
    raw_texts(const raw_texts&) = delete;
    raw_texts& operator=(const raw_texts&) = delete;

private:
    table_object& a_;
    table_object& b_;
    int a_kept_;
    int b_kept_;
};

bool same_code_page(const table_object& source, const table_object& target)
{
    return source.codepage.page == target.codepage.page;
}

// A text of the source as the target's code page stores it, character by
// character; a character the target cannot hold fails the copy, noted with
// the record, the field and the character.
bool recode_for_target(const table_object& source, table_object& target, int target_index, std::string_view bytes,
                       std::string& out)
{
    const std::optional<char32_t> missing = recode_stored(source.codepage.page, target.codepage.page, bytes, out);
    if (!missing) return true;
    const std::string record = "Record " + std::to_string(current_record(source)) + ": ";
    const std::string field = field_info(target, target_index).name;
    if (*missing >= stored_byte_mark) {
        note_failure(target, record + field + " holds " + character_text(*missing) + ", which is no character in code page " +
                                  std::string(code_page_name(source.codepage.page)));
    } else {
        note_failure(target, record + field + " cannot hold " + character_text(*missing) + ": code page " +
                                 std::string(code_page_name(target.codepage.page)) + " has no such character");
    }
    return false;
}

}  // namespace

namespace {

// Stores a copied value by the target field's rules; a refusal fails the
// copy, noted with the source record the user can look up.
bool store_copied_value(const table_object& source, table_object& target, int target_index, std::string_view value)
{
    const std::string reason = store_field_value(target, target_index, value);
    if (reason.empty()) return true;
    note_failure(target, "Record " + std::to_string(current_record(source)) + ": " + reason);
    return false;
}

// The value field `source_index` of the source's current record gives a
// copy into field `target_index`: a memo's text read whole, recoded for the
// target's code page where texts pass as stored. false when the memo cannot
// be read or a character cannot be recoded (noted).
bool value_to_copy(table_object& source, memo_read_ahead& source_memos, table_object& target, int target_index,
                   int source_index, std::string& value)
{
    value = field_text(source, source_index);
    if (field_type(source, source_index) == 'M' && !source_memos.read(std::string(value), value)) return false;
    // Converted texts are the program's own on both sides; stored ones need
    // recoding between two code pages.
    if (source.texts_as_stored && !same_code_page(source, target)) {
        std::string recoded;
        if (!recode_for_target(source, target, target_index, value, recoded)) return false;
        value = std::move(recoded);
    }
    return true;
}

}  // namespace

std::vector<int> map_fields_by_name(const table_object& source, const table_object& target)
{
    std::vector<int> mapping;
    for (int i = 0; i < field_count(target); ++i) mapping.push_back(field_index(source, field_info(target, i).name));
    return mapping;
}

int copy_records(table_object& source, table_object& target, const std::vector<int>& mapping,
                 copy_selection selection, const std::function<void(int percent)>& progress)
{
    if (&source == &target || !source.table_locked || !target.table_locked ||
        mapping.size() != static_cast<std::size_t>(field_count(target))) {
        return 0;
    }
    raw_texts raw(source, target);
    const std::int32_t remembered = current_record(source);
    const bool skip_deleted =
        selection == copy_selection::live_only || source.navigation.hide_deleted;
    const bool filtered = selection == copy_selection::as_navigated;

    // Where each field's bytes come from and go to, and by which rule.
    struct field_plan {
        std::size_t from = 0;
        std::size_t from_width = 0;
        std::size_t to = 0;
        std::size_t width = 0;
        field_route route = field_route::memo;
        bool mapped = false;
    };
    std::vector<field_plan> plans(mapping.size());
    for (std::size_t i = 0; i < plans.size(); ++i) {
        const int from = mapping[i];
        const int to = static_cast<int>(i);
        if (from < 0 || from >= field_count(source)) continue;
        const field_information source_field = field_info(source, from);
        const field_information target_field = field_info(target, to);
        plans[i] = {static_cast<std::size_t>(field_offset(source, from)),
                    static_cast<std::size_t>(source_field.length),
                    static_cast<std::size_t>(field_offset(target, to)),
                    static_cast<std::size_t>(target_field.length),
                    route_between(source_field, target_field),
                    true};
    }

    // Between code pages every text is recoded; numbers, dates and
    // logicals are ASCII, the same bytes in every code page.
    const bool recode = !same_code_page(source, target);
    // A copy into the same fields at the same places (a pack, an append
    // between tables of one structure) moves each record's field bytes in
    // one piece; the deletion mark stays the target's own.
    const bool whole_records =
        !recode && source.record.size() == target.record.size() &&
        std::all_of(plans.begin(), plans.end(), [](const field_plan& plan) {
            return plan.mapped && plan.route == field_route::same_bytes && plan.from == plan.to &&
                   plan.from_width == plan.width;
        });
    std::string recoded;

    // Memos are placed in memory and written in large blocks, each block
    // before the records that point at it (memo_batch.h).
    memo_batch memos(target);
    memo_read_ahead source_memos(source);
    std::string memo_text;
    const auto copy_memo = [&](int i, int from) {
        if (from >= field_count(source) || !value_to_copy(source, source_memos, target, i, from, memo_text)) return false;
        if (field_type(target, i) != 'M') return store_copied_value(source, target, i, memo_text);
        // A memo block holding nothing but its end mark would only grow the file.
        return memo_text.empty() || memos.store(i, memo_text) == 1;
    };

    record_block_reader reader(source);
    const std::int32_t count = reader.counted();
    record_appender appender(target);
    appender.before_flush([&memos] { return memos.flush(); });
    bool ok = appender.start();
    std::int64_t copied = 0;
    while (ok && reader.load_next()) {
        if (skip_deleted && is_deleted(source)) continue;
        if (filtered && filter_hides(source.navigation, reader.number())) continue;
        // Memos are placed by the batch, not written through the record, so
        // the record needs no position of its own: it starts blank.
        if (whole_records) {
            std::memcpy(target.record.data() + 1, source.record.data() + 1, target.record.size() - 1);
            target.record[0] = target.blank_record[0];
        } else {
            target.record = target.blank_record;
        }
        for (int i = 0; ok && !whole_records && i < field_count(target); ++i) {
            const field_plan& plan = plans[static_cast<std::size_t>(i)];
            if (!plan.mapped) continue;
            const std::uint8_t* from = source.record.data() + plan.from;
            std::uint8_t* to = target.record.data() + plan.to;
            const bool text = recode && plan.route != field_route::memo &&
                              (plan.route != field_route::same_bytes || field_type(target, i) == 'C');
            if (text) {
                ok = recode_for_target(source, target, i, stored_text(from, plan.from_width), recoded);
                if (ok && plan.route == field_route::value_rules) {
                    ok = store_copied_value(source, target, i, recoded);
                } else if (ok) {
                    copy_characters(to, plan.width, std::string_view(recoded).substr(
                                                        0, whole_characters_within(target.codepage.page, recoded, plan.width)));
                }
                continue;
            }
            switch (plan.route) {
            case field_route::same_bytes: std::memcpy(to, from, plan.width); break;
            case field_route::characters: copy_characters(to, plan.width, stored_text(from, plan.from_width)); break;
            case field_route::value_rules:
                ok = store_copied_value(source, target, i, stored_text(from, plan.from_width));
                break;
            case field_route::memo: ok = copy_memo(i, mapping[static_cast<std::size_t>(i)]); break;
            }
        }
        ok = ok && appender.end_record();
        if (ok && ++copied % 102 == 0 && progress) {
            progress(static_cast<int>(std::int64_t{reader.number()} * 100 / count + 1));
        }
    }
    // A record that could not be read must not pass for the end of the table.
    ok = ok && !reader.failed() && appender.finish() && memos.finish();
    if (count > 0) go_to(source, remembered);
    return ok ? 1 : 0;
}

}  // namespace vortel
