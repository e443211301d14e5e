#pragma once

#include <array>
#include <cstddef>
#include <random>
#include <string_view>
#include <vector>

namespace nimbra::soak {

// The faults a round may inject, each striking at a chosen report of the run.
enum class FaultKind : std::size_t {
    unplug,          // the station goes away
    silence,         // the station stops answering
    badAck,          // writes acknowledged wrongly, during a settings write
    flakyReads,      // two reads of a block never agree
    corruptRecord,   // a record not yet downloaded is spoiled
    historyCleared,  // the station's pointer goes back to the ring start
    ringWrap,        // new records carry the pointer past the end of memory
    tornWrite,       // a record closes while read, its last bytes not yet written
};
inline constexpr std::size_t kFaultKinds = 8;

std::string_view faultName(FaultKind kind);

// Whether the fault changes the station rather than the link.
bool changesStation(FaultKind kind);

// Draws kinds at random from shuffled decks holding every kind once, so that any run of
// at least kFaultKinds rounds meets each of them.
class FaultDeck {
public:
    FaultKind draw(std::mt19937& random);

private:
    std::vector<FaultKind> m_left;
};

}  // namespace nimbra::soak
