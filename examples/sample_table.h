// The bundled sample table: employees of a small Hungarian firm, with
// character, numeric, date, logical and memo fields, accented names stored
// in code page 852, a few deleted records and memo texts of one and of
// several blocks. Everything comes from a fixed seed and the given date, so
// the same call always writes the same bytes.
#pragma once

#include <string>

namespace vortel {

inline constexpr int sample_record_count = 120;

struct sample_date {
    int year, month, day;
};

// The date stored in the header of the bundled files.
inline constexpr sample_date sample_created{2026, 12, 6};

// Writes `dbf_path` and its memo file (the name with a final "T").
// False when a file cannot be written.
bool write_sample_table(const std::string& dbf_path, sample_date created = sample_created);

}  // namespace vortel
