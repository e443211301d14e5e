#include "soak/fault_kind.h"

#include <algorithm>

namespace nimbra::soak {

std::string_view faultName(FaultKind kind) {
    switch (kind) {
        case FaultKind::unplug:
            return "unplug";
        case FaultKind::silence:
            return "silence";
        case FaultKind::badAck:
            return "bad acknowledgement";
        case FaultKind::flakyReads:
            return "disagreeing reads";
        case FaultKind::corruptRecord:
            return "corrupted record";
        case FaultKind::historyCleared:
            return "history cleared";
        case FaultKind::ringWrap:
            return "ring wrap";
        case FaultKind::tornWrite:
            return "torn write";
    }
    return "?";
}

bool changesStation(FaultKind kind) {
    return kind == FaultKind::corruptRecord || kind == FaultKind::historyCleared ||
           kind == FaultKind::ringWrap || kind == FaultKind::tornWrite;
}

FaultKind FaultDeck::draw(std::mt19937& random) {
    if (m_left.empty()) {
        for (std::size_t i = 0; i < kFaultKinds; ++i) {
            m_left.push_back(static_cast<FaultKind>(i));
        }
        std::shuffle(m_left.begin(), m_left.end(), random);
    }
    const FaultKind kind = m_left.back();
    m_left.pop_back();
    return kind;
}

}  // namespace nimbra::soak
