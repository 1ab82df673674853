// Tells a table window when its table's files change under it: another
// process appended, edited or deleted records. The system's file watcher
// reports most changes at once; a light poll once a second while the
// window is shown (sizes, modification times and the header's record
// count, never a record) catches what it misses, such as changes made
// over a network share.
#pragma once

#include <QtCore/QFileSystemWatcher>
#include <QtCore/QObject>
#include <QtCore/QTimer>

#include <cstdint>
#include <string>

class QWidget;

namespace vortel {

struct table_object;

class table_watcher final : public QObject {
    Q_OBJECT
public:
    // Watches `table`'s DBF and DBT files while `window` lives.
    table_watcher(QWidget* window, table_object& table);

signals:
    void changed();

private:
    struct stamp {
        std::int64_t dbf_size = -1, dbt_size = -1;
        std::int64_t dbf_time = 0, dbt_time = 0;
        std::int32_t count = -1;
        bool operator==(const stamp&) const = default;
    };
    stamp take_stamp() const;
    void look();

    QWidget* window_;
    table_object& table_;
    QFileSystemWatcher files_;
    QTimer poll_;
    stamp last_;
};

}  // namespace vortel
