#include "engine/table_export.h"

#include "engine/export_rows.h"
#include "engine/record_blocks.h"
#include "runtime/scope_exit.h"
#include "text/text_ops.h"

#include <algorithm>
#include <cctype>

namespace vortel {

bool export_records(table_object& table, row_writer& writer, const export_options& options,
                    const std::function<bool(int percent)>& progress, bool& cancelled)
{
    const std::vector<export_field> written = export_fields(table);
    std::vector<field_information> fields;
    std::vector<std::size_t> offsets;
    bool any_shown = false;
    for (const export_field& field : written) {
        fields.push_back(field.info);
        offsets.push_back(static_cast<std::size_t>(field_offset(table, field.index)));
        any_shown = any_shown || field.shown;
    }
    const bool mark = options.deleted == deleted_records::mark;
    if (!writer.begin(fields, mark)) return false;

    // Memo texts are wanted as stored, like every other text here.
    const scope_exit keep([&table, before = table.texts_as_stored] { table.texts_as_stored = before; });
    table.texts_as_stored = 1;

    const std::function<void(int)> told = [&](int percent) {
        if (progress && !progress(percent)) cancelled = true;
    };
    record_block_reader reader(table);
    progress_meter meter(told, reader.counted());
    std::vector<cell_value> cells(fields.size());
    std::vector<std::string> memos(fields.size());
    std::vector<std::string> shown(fields.size());
    for (auto record = reader.next(); !record.empty(); record = reader.next()) {
        if (cancelled) return false;
        const bool deleted = record[0] == dbf_deleted_mark;
        if ((!deleted || mark) && !filter_hides(table.navigation, reader.number())) {
            // field_text reads shown values from the table's record buffer.
            if (any_shown) std::copy(record.begin(), record.end(), table.record.begin());
            for (std::size_t i = 0; i < fields.size(); ++i) {
                const bool read =
                    written[i].shown ? read_shown_cell(table, written[i], shown[i], memos[i], cells[i])
                                     : read_cell(table, fields[i], record.data() + offsets[i], memos[i], cells[i]);
                if (!read) {
                    std::string why = table.failure;
                    clear_failure(table);
                    note_failure(table, cell_refusal(reader.number(), fields[i], why));
                    return false;
                }
            }
            if (!writer.row(reader.number(), cells, deleted)) return false;
        }
        meter.step(reader.number());
    }
    if (reader.failed()) return false;
    if (!writer.end()) return false;
    meter.finish();
    return !cancelled;
}

std::optional<export_format> export_format_for(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) return std::nullopt;
    const std::string_view extension = path.substr(dot + 1);
    if (equal_ignoring_case(extension, "csv")) return export_format::csv;
    if (equal_ignoring_case(extension, "jsonl")) return export_format::jsonl;
    if (equal_ignoring_case(extension, "xlsx")) return export_format::xlsx;
    return std::nullopt;
}

deleted_records deleted_records_as_navigated(const navigation_options& navigation)
{
    return navigation.hide_deleted ? deleted_records::skip : deleted_records::mark;
}

std::string cell_refusal(std::int32_t record, const field_information& field, std::string_view what)
{
    return "Record " + std::to_string(record) + ", field " + field.name + ": " + std::string(what);
}

int export_table(table_object& table, const std::string& output, const export_options& options,
                 const std::function<bool(int percent)>& progress)
{
    bool cancelled = false;
    int done = 0;
    if (options.format == export_format::xlsx) {
        done = run_export_by_name(table, output, [&](const std::string& temporary) {
            const std::unique_ptr<row_writer> writer = xlsx_row_writer(table, temporary, options);
            return export_records(table, *writer, options, progress, cancelled);
        });
    } else {
        done = run_export(table, output, [&](output_buffer& out) {
            const std::unique_ptr<row_writer> writer = options.format == export_format::csv
                                                           ? csv_row_writer(table, out, options)
                                                           : jsonl_row_writer(table, out);
            return export_records(table, *writer, options, progress, cancelled);
        });
    }
    if (cancelled) {
        clear_failure(table);
        return export_cancelled;
    }
    return done;
}

}  // namespace vortel
