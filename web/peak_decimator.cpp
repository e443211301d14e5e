#include "web/peak_decimator.h"

#include <algorithm>
#include <cmath>

namespace nimbra {

PeakDecimator::PeakDecimator(std::size_t fields, double from, double to, int buckets, Emit emit)
    : m_from(from),
      m_span(to - from),
      m_buckets(std::max(buckets, 1)),
      m_emit(std::move(emit)),
      m_firstValues(fields),
      m_secondValues(fields),
      m_extremes(fields) {}

void PeakDecimator::add(double time, const Values& values) {
    std::int64_t bucket = 0;
    if (m_span > 0.0) {
        bucket = static_cast<std::int64_t>(std::floor((time - m_from) / m_span * m_buckets));
        bucket = std::clamp<std::int64_t>(bucket, 0, m_buckets - 1);
    }
    if (bucket != m_bucket) {
        flush();
        m_bucket = bucket;
        m_count = 0;
        m_firstTime = time;
        std::fill(m_extremes.begin(), m_extremes.end(), Extremes{});
    }
    ++m_count;
    m_lastTime = time;
    if (m_count == 1) {
        m_firstValues = values;
    } else if (m_count == 2) {
        m_secondValues = values;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!values[i]) {
            continue;
        }
        Extremes& e = m_extremes[i];
        const double v = *values[i];
        if (!e.min || v < *e.min) {
            e.min = v;
            e.minTime = time;
        }
        if (!e.max || v > *e.max) {
            e.max = v;
            e.maxTime = time;
        }
    }
}

void PeakDecimator::flush() {
    if (m_count == 0) {
        return;
    }
    if (m_count <= 2) {
        m_emit(m_firstTime, m_firstValues);
        if (m_count == 2) {
            m_emit(m_lastTime, m_secondValues);
        }
        m_count = 0;
        return;
    }
    Values first(m_extremes.size());
    Values last(m_extremes.size());
    for (std::size_t i = 0; i < m_extremes.size(); ++i) {
        const Extremes& e = m_extremes[i];
        const bool minFirst = e.minTime <= e.maxTime;
        first[i] = minFirst ? e.min : e.max;
        last[i] = minFirst ? e.max : e.min;
    }
    m_emit(m_firstTime, first);
    m_emit(m_lastTime, last);
    m_count = 0;
}

void PeakDecimator::finish() {
    flush();
}

}  // namespace nimbra
