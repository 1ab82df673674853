#include "engine/export_rows.h"

#include "text/csv_field.h"
#include "text/picture.h"

namespace vortel {
namespace {

constexpr std::string_view utf8_byte_order_mark = "\xEF\xBB\xBF";

class csv_writer final : public row_writer {
public:
    csv_writer(table_object& table, output_buffer& out, const export_options& options)
        : out_(out), options_(options),
          recoder_(table.codepage.page, !options.table_code_page),
          line_end_(options.crlf ? "\r\n" : "\n")
    {
    }

    bool begin(std::span<const field_information> fields, bool mark_deleted) override
    {
        mark_ = mark_deleted;
        if (options_.byte_order_mark && !options_.table_code_page) out_.put(utf8_byte_order_mark);
        line_.clear();
        for (const field_information& field : fields) {
            if (!line_.empty()) line_ += options_.delimiter;
            append_csv_field(line_, recoder_(field.name), options_.delimiter);
        }
        if (mark_) {
            if (!fields.empty()) line_ += options_.delimiter;
            line_ += "_deleted";
        }
        line_ += line_end_;
        out_.put(line_);
        return true;
    }

    bool row(std::int32_t, std::span<const cell_value> cells, bool deleted) override
    {
        line_.clear();
        bool first = true;
        for (const cell_value& cell : cells) {
            if (!first) line_ += options_.delimiter;
            first = false;
            put_cell(cell);
        }
        if (mark_) {
            if (!cells.empty()) line_ += options_.delimiter;
            line_ += logical_text(deleted);
        }
        line_ += line_end_;
        out_.put(line_);
        return true;
    }

    bool end() override { return true; }

private:
    std::string_view logical_text(bool truth) const
    {
        if (options_.logicals == logical_style::words) return truth ? "true" : "false";
        return truth ? "T" : "F";
    }

    void put_cell(const cell_value& cell)
    {
        switch (cell.kind) {
        case cell_kind::empty: return;
        case cell_kind::number: line_ += cell.text; return;  // ASCII, never quoted
        case cell_kind::logical: line_ += logical_text(cell.truth); return;
        case cell_kind::date:
            if (options_.dates == date_style::iso) {
                line_ += iso_date_text(cell.date);
            } else {
                std::string digits(cell.text);
                append_csv_field(line_, picture_format(digits, "@D"), options_.delimiter);
            }
            return;
        case cell_kind::text:
            // Conversion makes and removes no delimiter, quote, CR or LF
            // (all ASCII, never inside a character of another code page),
            // so the stored bytes tell whether quotes are needed.
            if (!csv_needs_quotes(cell.text, options_.delimiter)) {
                recoder_.append(line_, cell.text);
                return;
            }
            text_.clear();
            recoder_.append(text_, cell.text);
            append_csv_field(line_, text_, options_.delimiter);
            return;
        }
    }

    output_buffer& out_;
    const export_options& options_;
    text_recoder recoder_;
    std::string_view line_end_;
    bool mark_ = false;
    std::string line_;
    std::string text_;
};

}  // namespace

std::unique_ptr<row_writer> csv_row_writer(table_object& table, output_buffer& out, const export_options& options)
{
    return std::make_unique<csv_writer>(table, out, options);
}

}  // namespace vortel
