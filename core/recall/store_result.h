#pragma once

namespace kestra {

// The answer of a stored library to one request about a row.
enum class StoreResult {
    Done,
    Missing,  // no row with that ID
    Failed,   // the store failed and has told the operator why
};

}  // namespace kestra
