// PostgreSQL's client library, loaded when a table first goes to a
// database rather than at every start of the program.
//
// The library brings some twenty others with it (TLS, Kerberos, LDAP);
// linked in, they would more than double the start-up of every vortel-cli
// run, nearly all of which never reach a database.
#pragma once

#include <libpq-fe.h>

#include <string>

namespace vortel {

// The client library's functions this program calls.
struct libpq_functions {
    decltype(&::PQconnectdbParams) PQconnectdbParams;
    decltype(&::PQsetNoticeProcessor) PQsetNoticeProcessor;
    decltype(&::PQfinish) PQfinish;
    decltype(&::PQstatus) PQstatus;
    decltype(&::PQerrorMessage) PQerrorMessage;
    decltype(&::PQsetClientEncoding) PQsetClientEncoding;
    decltype(&::PQexecParams) PQexecParams;
    decltype(&::PQresultStatus) PQresultStatus;
    decltype(&::PQresultErrorField) PQresultErrorField;
    decltype(&::PQcmdStatus) PQcmdStatus;
    decltype(&::PQntuples) PQntuples;
    decltype(&::PQgetisnull) PQgetisnull;
    decltype(&::PQgetvalue) PQgetvalue;
    decltype(&::PQclear) PQclear;
    decltype(&::PQputCopyData) PQputCopyData;
    decltype(&::PQputCopyEnd) PQputCopyEnd;
    decltype(&::PQgetResult) PQgetResult;
    decltype(&::PQconndefaults) PQconndefaults;
    decltype(&::PQconninfoFree) PQconninfoFree;
};

// The functions, the library loaded at the first call; null when it cannot
// be, with the reason in `failure` ("the PostgreSQL client library
// libpq.so.5 is not installed: ...").
const libpq_functions* libpq(std::string& failure);

}  // namespace vortel
