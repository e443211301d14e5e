#pragma once

#include <array>
#include <cstdint>

namespace nimbra {

// One history record in canonical units (°C, %, hPa, m/s, mm, lux). Members are named
// like the columns of the Records table. The 96-byte little-endian image is the
// format of the temporary record files and of imports, so it is read and written
// field by field, never by copying the struct.
struct HistoryRecord {
    static constexpr std::size_t kImageSize = 96;
    using Image = std::array<std::uint8_t, kImageSize>;

    double Time = 0.0;  // OLE date
    std::int32_t Interval = 0;
    float InTemp = 0.0f;
    std::int32_t InHumi = 0;
    float OutTemp = 0.0f;
    std::int32_t OutHumi = 0;
    float RelPressure = 0.0f;
    float AbsPressure = 0.0f;
    float Wind = 0.0f;
    float Gust = 0.0f;
    std::int32_t WindDirection = 0;
    float DewPoint = 0.0f;
    float WindChill = 0.0f;
    float Rain = 0.0f;
    std::int32_t Rcount = 0;
    float Rain1 = 0.0f;
    float Rain2 = 0.0f;
    float Rain3 = 0.0f;
    float Rain4 = 0.0f;
    float Rain5 = 0.0f;
    float RainYear = 0.0f;  // year to date; meaningful only in the live record, never stored
    float Light = 0.0f;
    std::int32_t UV = 0;

    static HistoryRecord fromImage(const std::uint8_t* image);
    static HistoryRecord fromImage(const Image& image) { return fromImage(image.data()); }
    void toImage(std::uint8_t* image) const;
    Image toImage() const;

    friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;
};

}  // namespace nimbra
