#include "engine/export_rows.h"
#include "text/json_string.h"

namespace vortel {
namespace {

class jsonl_writer final : public row_writer {
public:
    // JSON Lines ends every line with LF alone, whatever CSV would use.
    jsonl_writer(table_object& table, output_buffer& out) : out_(out), recoder_(table.codepage.page, true)
    {
    }

    bool begin(std::span<const field_information> fields, bool mark_deleted) override
    {
        mark_ = mark_deleted;
        for (const field_information& field : fields) {
            std::string key;
            append_json_string(key, recoder_(field.name));
            key += ':';
            keys_.push_back(std::move(key));
        }
        return true;
    }

    bool row(std::int32_t, std::span<const cell_value> cells, bool deleted) override
    {
        line_.assign(1, '{');
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i != 0) line_ += ',';
            line_ += keys_[i];
            put_value(cells[i]);
        }
        if (mark_) {
            if (!cells.empty()) line_ += ',';
            line_ += "\"_deleted\":";
            line_ += deleted ? "true" : "false";
        }
        line_ += '}';
        line_ += '\n';
        out_.put(line_);
        return true;
    }

    bool end() override { return true; }

private:
    void put_value(const cell_value& cell)
    {
        switch (cell.kind) {
        case cell_kind::empty: line_ += "null"; return;
        case cell_kind::number: line_ += json_number_text(cell.text); return;
        case cell_kind::logical: line_ += cell.truth ? "true" : "false"; return;
        case cell_kind::date: append_json_string(line_, iso_date_text(cell.date)); return;
        case cell_kind::text:
            text_.clear();
            recoder_.append(text_, cell.text);
            append_json_string(line_, text_);
            return;
        }
    }

    output_buffer& out_;
    text_recoder recoder_;
    bool mark_ = false;
    std::vector<std::string> keys_;
    std::string line_;
    std::string text_;
};

}  // namespace

std::unique_ptr<row_writer> jsonl_row_writer(table_object& table, output_buffer& out)
{
    return std::make_unique<jsonl_writer>(table, out);
}

}  // namespace vortel
