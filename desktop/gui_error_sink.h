#pragma once

#include <string>

namespace nimbra {

// Shows the failures of the database in the desktop program: each message in a warning
// box on the user-interface thread, whatever thread reported it. A message already shown
// in an open box is not shown again, so a failure that every pass repeats (a full disk)
// does not pile up boxes. Installed as the default sink for its lifetime.
class GuiErrorSink {
public:
    GuiErrorSink();
    ~GuiErrorSink();
    GuiErrorSink(const GuiErrorSink&) = delete;
    GuiErrorSink& operator=(const GuiErrorSink&) = delete;
};

// Shows one database failure at once; on the user-interface thread only.
void showStoreFailure(const std::string& message);

}  // namespace nimbra
