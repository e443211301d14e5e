#pragma once

#include <memory>

// The engine's handle types, declared here so that headers need not include sqlite3.h.
struct sqlite3;
struct sqlite3_stmt;

namespace nimbra::detail {

struct ConnectionCloser {
    // Closes lazily: a connection with statements still open lives on until the last
    // of them is finalized.
    void operator()(sqlite3* connection) const noexcept;
};
using ConnectionHandle = std::unique_ptr<sqlite3, ConnectionCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept;
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

}  // namespace nimbra::detail
