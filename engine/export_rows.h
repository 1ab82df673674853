// The record loop the table exports share, and the writers it feeds: one
// per format, each turning cell values into its own form.
#pragma once

#include "engine/export_cells.h"
#include "engine/export_output.h"
#include "engine/table_export.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vortel {

class row_writer {
public:
    virtual ~row_writer() = default;
    // Each gives false after noting on the table why it gave up.
    virtual bool begin(std::span<const field_information> fields, bool mark_deleted) = 0;
    virtual bool row(std::int32_t record, std::span<const cell_value> cells, bool deleted) = 0;
    virtual bool end() = 0;
};

// Stored bytes as the output's text: UTF-8 converted from the table's code
// page, or the bytes themselves.
class text_recoder {
public:
    text_recoder(code_page page, bool utf8);
    void append(std::string& out, std::string_view stored) const;
    std::string operator()(std::string_view stored) const;

private:
    code_page page_;
    bool utf8_;
    bool single_byte_;
    std::vector<std::string> byte_texts_;  // a single-byte page's characters in UTF-8
};

std::unique_ptr<row_writer> csv_row_writer(table_object& table, output_buffer& out, const export_options& options);
std::unique_ptr<row_writer> jsonl_row_writer(table_object& table, output_buffer& out);
// Writes the workbook to the file `path` names.
std::unique_ptr<row_writer> xlsx_row_writer(table_object& table, const std::string& path,
                                            const export_options& options);

// Every record of the table through `writer`, deleted ones as
// `options.deleted` chooses: the record loop of every table export. False
// when the export gave up or was cancelled (`cancelled` then set).
bool export_records(table_object& table, row_writer& writer, const export_options& options,
                    const std::function<bool(int percent)>& progress, bool& cancelled);

// Why a value stops an export, naming where it stands: "Record 7, field
// NOTE: " before what is wrong.
std::string cell_refusal(std::int32_t record, const field_information& field, std::string_view what);

}  // namespace vortel
