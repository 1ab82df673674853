#include "engine/export.h"

#include "engine/record_blocks.h"
#include "shell/settings.h"
#include "text/text_ops.h"
#include "text/text_to_number.h"

#include <filesystem>

namespace vortel {
namespace {

constexpr int line_capacity = 512;

// Collects what an export writes so that the file sees large writes. After
// a failed write it drops the rest and keeps the failure.
class output_buffer {
public:
    explicit output_buffer(file_handle& file) : file_(file) {}

    void put(std::string_view bytes)
    {
        pending_.append(bytes);
        if (pending_.size() >= bulk_block_bytes) flush();
    }

    bool flush()
    {
        if (ok_ && !pending_.empty()) {
            std::size_t put = 0;
            ok_ = fh_write(file_, pending_.data(), pending_.size(), put) && put == pending_.size();
        }
        pending_.clear();
        return ok_;
    }

private:
    file_handle& file_;
    std::string pending_;
    bool ok_ = true;
};

bool same_file(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

bool names_table_file(const table_object& table, const std::string& path)
{
    return same_file(path, table.dbf_name) || (table.dbt.os.is_open() && same_file(path, table.dbt_name));
}

// Everything the two exports share: the refusals, the table lock, the
// output file and putting the table back, also when `write_body` throws.
template <class WriteBody>
int export_to(table_object& table, const std::string& output, WriteBody write_body)
{
    if (names_table_file(table, output)) return 0;
    if (!lock_table(table)) return 0;
    struct restore {
        table_object& table;
        std::int32_t record;
        ~restore()
        {
            unlock(table);
            go_to(table, record);
        }
    } restore_on_exit{table, current_record(table)};

    file_handle file(output, line_capacity);
    if (!fh_open(file, export_output_mode)) return 0;
    output_buffer out(file);
    const bool written = write_body(out);
    const bool flushed = out.flush();
    return written && flushed && fh_close(file) ? 1 : 0;
}

bool deleted_records_hidden() { return text_to_long(setting_by_index(SET_DELETED)) != 0; }

std::string html_escaped(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

}  // namespace

int export_text(table_object& table, const std::string& output, const std::function<void(int percent)>& progress)
{
    return export_to(table, output, [&table, &progress](output_buffer& out) {
        const bool hide_deleted = deleted_records_hidden();
        record_block_reader reader(table);
        progress_meter meter(progress, reader.counted());
        for (auto record = reader.next(); !record.empty(); record = reader.next()) {
            if (!hide_deleted || record[0] != dbf_deleted_mark) {
                out.put(std::string_view(reinterpret_cast<const char*>(record.data()) + 1, record.size() - 1));
                out.put("\r\n");
            }
            meter.step(reader.number());
        }
        if (reader.failed()) return false;
        meter.finish();
        return true;
    });
}

int export_html(table_object& table, const std::string& output, std::string_view title,
                const std::vector<std::string>& captions, const std::function<void(int percent)>& progress)
{
    return export_to(table, output, [&](output_buffer& out) {
        out.put("<HTML>\r\n<HEAD>\r\n<META http-equiv=\"content-type\" content=\"TEXT/HTML; charset=windows-1250\">"
                "<TITLE>");
        out.put(html_escaped(title));
        out.put("</TITLE>\r\n</HEAD>\r\n<BODY>\r\n<TABLE border=\"1\" frame=box>\r\n<CAPTION>");
        out.put(html_escaped(output));
        out.put("</CAPTION><TR>");
        for (int i = 0; i < field_count(table); ++i) {
            const auto at = static_cast<std::size_t>(i);
            out.put("<TH>");
            out.put(html_escaped(at < captions.size() ? captions[at] : std::string()));
            out.put("</TH>");
        }
        out.put("</TR>\r\n");

        // Each record passes through the record buffer so that its cells are
        // exactly what field_text gives, conversion included.
        record_block_reader reader(table);
        progress_meter meter(progress, reader.counted());
        // The record is written before progress is told, so that whatever
        // the callback does cannot reach the record buffer in between.
        while (reader.load_next()) {
            if (table.record[0] != dbf_deleted_mark) {
                out.put("<TR>");
                for (int i = 0; i < field_count(table); ++i) {
                    const std::string text = field_text(table, i);
                    out.put("<TD>");
                    out.put(is_blank(text) ? "&nbsp;" : html_escaped(text));
                    out.put("</TD>");
                }
                out.put("</TR>\r\n");
            }
            meter.step(reader.number());
        }
        out.put("</TABLE>\r\n</BODY>\r\n</HTML>\r\n");
        if (reader.failed()) return false;
        meter.finish();
        return true;
    });
}

}  // namespace vortel
