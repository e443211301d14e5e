#include "web/current_json.h"

#include <variant>

#include "core/absent.h"
#include "store/record_columns.h"
#include "web/json_text.h"
#include "web/quantities.h"

namespace nimbra {

namespace {

void appendKey(std::string& out, bool& first, std::string_view name) {
    out += first ? "" : ",";
    first = false;
    appendJsonString(out, name);
    out += ':';
}

void appendRecord(std::string& out, const HistoryRecord& record) {
    out += '{';
    bool first = true;
    for (const RecordField& field : recordFields()) {
        appendKey(out, first, field.name);
        std::visit(
            [&](auto member) {
                const auto value = record.*member;
                if constexpr (std::is_same_v<decltype(value), const double>) {
                    appendJsonDate(out, value);
                } else if constexpr (std::is_same_v<decltype(value), const float>) {
                    appendJsonNumber(out, value);
                } else if (isAbsent(value)) {
                    out += "null";
                } else {
                    out += std::to_string(value);
                }
            },
            field.member);
    }
    out += '}';
}

template <typename Value>
void appendByQuantity(std::string& out, bool liveOnly, Value value) {
    out += '{';
    bool first = true;
    for (const Quantity& q : quantities()) {
        if (!liveOnly || q.live) {
            appendKey(out, first, q.name);
            value(q);
        }
    }
    out += '}';
}

}  // namespace

std::string currentJson(const CStationData& d) {
    std::string out = "{\"Current\":";
    appendRecord(out, d.m_Current);
    out += ",\"Max\":";
    appendRecord(out, d.m_Max);
    out += ",\"Min\":";
    appendRecord(out, d.m_Min);
    const auto times = [&out](const auto& array) {
        out += '{';
        bool first = true;
        for (const Quantity& q : quantities()) {
            if (q.slot >= 0) {
                appendKey(out, first, q.name);
                appendJsonDate(out, array[static_cast<std::size_t>(q.slot)]);
            }
        }
        out += '}';
    };
    out += ",\"MaxTime\":";
    times(d.m_MaxTime);
    out += ",\"MinTime\":";
    times(d.m_MinTime);
    out += ",\"Units\":";
    appendByQuantity(out, false, [&](const Quantity& q) { appendJsonString(out, unitText(q, d)); });
    out += ",\"Shown\":{";
    const std::pair<const char*, const HistoryRecord*> records[] = {
        {"Current", &d.m_Current}, {"Max", &d.m_Max}, {"Min", &d.m_Min}};
    bool first = true;
    for (const auto& [name, record] : records) {
        appendKey(out, first, name);
        appendByQuantity(
            out, true, [&](const Quantity& q) { appendJsonString(out, shownText(q, *record, d)); });
    }
    out += "}}";
    return out;
}

}  // namespace nimbra
