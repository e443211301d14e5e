#pragma once

#include <string>

namespace nimbra {

enum class ExportOutcome {
    written,    // the file is complete
    noRows,     // nothing to write, and nothing was written
    cancelled,  // the user stopped it; no file is left behind
    failed,     // `error` says why; no file is left behind
};

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::written;
    std::string error;
};

}  // namespace nimbra
