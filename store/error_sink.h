#pragma once

#include <functional>
#include <string>

namespace nimbra {

// Receives the message of every failed database operation. The desktop program shows it
// in a message box, the headless logger prints it. A sink may be called on any thread but
// never while the calling thread holds a database object's lock, so it may wait for the
// user-interface thread.
using ErrorSink = std::function<void(const std::string& message)>;

// The sink used by every database object that has none of its own; until one is set,
// messages go to standard error. Safe to call at any time from any thread.
void setDefaultErrorSink(ErrorSink sink);
void reportToDefaultErrorSink(const std::string& message);

}  // namespace nimbra
