#include "engine/table_dialect.h"

#include "engine/dbf_format.h"

#include <cstdio>
#include <cstring>

namespace vortel {

std::optional<table_dialect> dialect_of_version(std::uint8_t version)
{
    table_dialect dialect;
    dialect.version = version;
    dialect.decoded = true;
    switch (version) {
    case 0x03: dialect.decoded = false; break;
    case 0x83: dialect.decoded = false; dialect.memo = memo_layout::dbt3; break;
    case 0x43:
    case 0x63: dialect.family = table_family::dbase4; break;
    case 0x8B:
    case 0xCB: dialect.family = table_family::dbase4; dialect.memo = memo_layout::dbt4; break;
    case 0x04: dialect.family = table_family::dbase7; break;
    case 0x8C: dialect.family = table_family::dbase7; dialect.memo = memo_layout::dbt4; break;
    // 0x30-0x32 say nothing about a memo file; their memo fields do.
    case 0x30:
    case 0x31:
    case 0x32:
    case 0xF5: dialect.family = table_family::foxpro; dialect.memo = memo_layout::fpt; break;
    case 0xFB: dialect.family = table_family::foxbase; break;
    default: return std::nullopt;
    }
    return dialect;
}

int descriptor_start(const table_dialect& dialect)
{
    // dBase 7 keeps its language driver's name and four more bytes first.
    return dialect.family == table_family::dbase7 ? 68 : dbf_header_size;
}

int descriptor_stride(const table_dialect& dialect)
{
    return dialect.family == table_family::dbase7 ? 48 : dbf_descriptor_size;
}

std::string dialect_description(const table_dialect& dialect)
{
    const char* what = "a dBase III table";
    switch (dialect.family) {
    case table_family::dbase3: break;
    case table_family::dbase4: what = "a dBase IV table"; break;
    case table_family::dbase7: what = "a dBase 7 table"; break;
    case table_family::foxpro:
        what = dialect.version == 0xF5 ? "a FoxPro table" : "a Visual FoxPro table";
        break;
    case table_family::foxbase: what = "a FoxBASE table"; break;
    }
    char version[32];
    std::snprintf(version, sizeof version, " (version 0x%02X)", dialect.version);
    return what + std::string(version);
}

bool is_dbase3_type(char type) { return type != 0 && std::strchr("CNFDLM", type) != nullptr; }

std::string memo_file_name(const table_dialect& dialect, const std::string& dbf_file_name)
{
    if (dialect.memo != memo_layout::fpt) return dbt_file_name(dbf_file_name);
    std::string name = dbf_file_name;
    if (name.size() >= 3) {
        const bool small = name.back() >= 'a' && name.back() <= 'z';
        name.replace(name.size() - 3, 3, small ? "fpt" : "FPT");
    }
    return name;
}

}  // namespace vortel
