#include "engine/export_output.h"

#include "engine/output_refusal.h"
#include "engine/record_blocks.h"
#include "platform/error_text.h"
#include "platform/staged_output.h"
#include "runtime/scope_exit.h"

#include <cerrno>

namespace vortel {
namespace {

// The refusals, the table lock and putting the table back, also when
// `body` throws.
int guarded_export(table_object& table, const std::string& output, const std::function<int()>& body)
{
    if (std::string refusal = output_refusal(table, output); !refusal.empty()) {
        note_failure(table, std::move(refusal));
        return 0;
    }
    if (!lock_table(table)) return 0;
    const scope_exit put_back([&table, record = current_record(table)] {
        unlock(table);
        go_to(table, record);
    });
    return body();
}

// Failures are told with the name the user gave, not the temporary one.
int output_failure(table_object& table, const std::string& output, int error)
{
    note_failure(table, file_error_text(error, output));
    return 0;
}

}  // namespace

output_buffer::output_buffer(file_handle& file) : file_(file)
{
    static_assert(flush_bytes == bulk_block_bytes);
    reserve(2 * bulk_block_bytes);
}

bool output_buffer::flush()
{
    if (ok_ && size_ != 0) {
        std::size_t put = 0;
        ok_ = fh_write(file_, data_.get(), size_, put) && put == size_;
    }
    size_ = 0;
    return ok_;
}

void output_buffer::reserve(std::size_t capacity)
{
    data_ = std::make_unique<char[]>(capacity);
    capacity_ = capacity;
    size_ = 0;
}

int run_export(table_object& table, const std::string& output,
               const std::function<bool(output_buffer& out)>& write_body)
{
    return guarded_export(table, output, [&] {
        const auto failed = [&table, &output](int error) { return output_failure(table, output, error); };
        staged_output staged(output);
        file_handle file(output);
        if (const int error = staged.open(file.os)) return failed(error);
        output_buffer out(file);
        if (!write_body(out)) {
            note_failure(table, table.dbf);  // the table could not be read
            return 0;
        }
        if (!out.flush()) return failed(file.os.last_error());
        if (!fh_close(file)) return failed(errno);
        if (const int error = staged.commit()) return failed(error);
        return 1;
    });
}

int run_export_by_name(table_object& table, const std::string& output,
                       const std::function<bool(const std::string& temporary)>& write_file)
{
    return guarded_export(table, output, [&] {
        const auto failed = [&table, &output](int error) { return output_failure(table, output, error); };
        // The temporary name is claimed exclusively first, so the writer
        // only ever replaces a file of our own.
        staged_output staged(output);
        {
            file_handle claim(output);
            if (const int error = staged.open(claim.os)) return failed(error);
            if (!fh_close(claim)) return failed(errno);
        }
        if (!write_file(staged.temporary_name())) {
            note_failure(table, table.dbf);
            return 0;
        }
        if (const int error = staged.commit()) return failed(error);
        return 1;
    });
}

}  // namespace vortel
