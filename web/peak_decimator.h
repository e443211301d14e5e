#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace nimbra {

// Thins rows of a time range to about twice `buckets` rows without losing a peak. The
// range is cut into equal spans of time; a span with one or two rows passes them on as
// they are, a span with more gives two rows, at the times of its first and last row,
// that hold each value's minimum and maximum, the one that came first in the first
// row. So every extreme of every value survives, and a rise stays a rise.
class PeakDecimator {
public:
    using Values = std::vector<std::optional<double>>;
    using Emit = std::function<void(double time, const Values& values)>;

    PeakDecimator(std::size_t fields, double from, double to, int buckets, Emit emit);

    // Rows must come in time order, each with one value (or none) per field.
    void add(double time, const Values& values);
    // Passes on what the last span holds.
    void finish();

private:
    struct Extremes {
        std::optional<double> min, max;
        double minTime = 0.0, maxTime = 0.0;
    };

    void flush();

    double m_from;
    double m_span;
    int m_buckets;
    Emit m_emit;
    std::int64_t m_bucket = -1;
    int m_count = 0;
    double m_firstTime = 0.0, m_lastTime = 0.0;
    Values m_firstValues;
    Values m_secondValues;
    std::vector<Extremes> m_extremes;
};

}  // namespace nimbra
