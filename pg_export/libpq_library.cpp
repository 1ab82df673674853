#include "pg_export/libpq_library.h"

#include <dlfcn.h>


namespace vortel {
namespace {

// The library's name with its interface version: the functions above
// have kept their meaning since version 5.
constexpr const char* library_name = "libpq.so.5";

struct loaded_library {
    libpq_functions functions{};
    std::string failure;  // "" when every function was found
};

template <typename Function>
bool find(void* library, const char* name, Function& function, std::string& failure)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    if (function == nullptr && failure.empty()) failure = std::string(library_name) + " lacks " + name;
    return function != nullptr;
}

loaded_library load()
{
    loaded_library loaded;
    // Never closed: the functions are used for the rest of the run.
    void* library = ::dlopen(library_name, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* why = ::dlerror();
        loaded.failure = std::string("the PostgreSQL client library ") + library_name +
                         " is not installed: " + (why ? why : "it cannot be loaded");
        return loaded;
    }
    libpq_functions& f = loaded.functions;
    std::string& failure = loaded.failure;
    find(library, "PQconnectdbParams", f.PQconnectdbParams, failure);
    find(library, "PQsetNoticeProcessor", f.PQsetNoticeProcessor, failure);
    find(library, "PQfinish", f.PQfinish, failure);
    find(library, "PQstatus", f.PQstatus, failure);
    find(library, "PQerrorMessage", f.PQerrorMessage, failure);
    find(library, "PQsetClientEncoding", f.PQsetClientEncoding, failure);
    find(library, "PQexecParams", f.PQexecParams, failure);
    find(library, "PQresultStatus", f.PQresultStatus, failure);
    find(library, "PQresultErrorField", f.PQresultErrorField, failure);
    find(library, "PQcmdStatus", f.PQcmdStatus, failure);
    find(library, "PQntuples", f.PQntuples, failure);
    find(library, "PQgetisnull", f.PQgetisnull, failure);
    find(library, "PQgetvalue", f.PQgetvalue, failure);
    find(library, "PQclear", f.PQclear, failure);
    find(library, "PQputCopyData", f.PQputCopyData, failure);
    find(library, "PQputCopyEnd", f.PQputCopyEnd, failure);
    find(library, "PQgetResult", f.PQgetResult, failure);
    find(library, "PQconndefaults", f.PQconndefaults, failure);
    find(library, "PQconninfoFree", f.PQconninfoFree, failure);
    return loaded;
}

}  // namespace

const libpq_functions* libpq(std::string& failure)
{
    static const loaded_library loaded = load();
    failure = loaded.failure;
    return loaded.failure.empty() ? &loaded.functions : nullptr;
}

}  // namespace vortel
