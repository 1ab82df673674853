#include "desktop/qt_table_watcher.h"

#include "engine/dbf_format.h"
#include "engine/table.h"

#include <QtWidgets/QWidget>

#include <filesystem>

namespace vortel {
namespace {

constexpr int poll_interval_ms = 1000;

void size_and_time(const std::string& name, std::int64_t& size, std::int64_t& time)
{
    std::error_code error;
    const std::filesystem::path path(name);
    const auto bytes = std::filesystem::file_size(path, error);
    size = error ? -1 : static_cast<std::int64_t>(bytes);
    const auto written = std::filesystem::last_write_time(path, error);
    time = error ? 0 : static_cast<std::int64_t>(written.time_since_epoch().count());
}

}  // namespace

table_watcher::table_watcher(QWidget* window, table_object& table)
    : QObject(window), window_(window), table_(table), files_(this), poll_(this)
{
    for (const std::string* name : {&table.dbf_name, &table.dbt_name}) {
        if (std::filesystem::exists(*name)) files_.addPath(QString::fromLocal8Bit(name->c_str()));
    }
    last_ = take_stamp();
    connect(&files_, &QFileSystemWatcher::fileChanged, this, &table_watcher::look);
    connect(&poll_, &QTimer::timeout, this, [this] {
        if (window_->isVisible()) look();
    });
    poll_.start(poll_interval_ms);
}

table_watcher::stamp table_watcher::take_stamp() const
{
    stamp now;
    size_and_time(table_.dbf_name, now.dbf_size, now.dbf_time);
    size_and_time(table_.dbt_name, now.dbt_size, now.dbt_time);
    // The header's count through the table's own handle: one small read at
    // a fixed place, which leaves the table where it stands.
    if (table_.open && !read_record_count(table_.dbf, now.count)) now.count = -1;
    return now;
}

void table_watcher::look()
{
    // A file another program replaced (saved anew under its name) drops
    // out of the system's watch; it is watched again once it is back.
    for (const std::string* name : {&table_.dbf_name, &table_.dbt_name}) {
        const QString path = QString::fromLocal8Bit(name->c_str());
        if (!files_.files().contains(path) && std::filesystem::exists(*name)) files_.addPath(path);
    }
    const stamp now = take_stamp();
    if (now == last_) return;
    last_ = now;
    emit changed();
}

}  // namespace vortel
