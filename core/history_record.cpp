#include "core/history_record.h"

#include "core/byte_order.h"

namespace nimbra {

HistoryRecord HistoryRecord::fromImage(const std::uint8_t* p) {
    HistoryRecord r;
    r.Time = loadLeF64(p + 0);
    r.Interval = loadLeI32(p + 8);
    r.InTemp = loadLeF32(p + 12);
    r.InHumi = loadLeI32(p + 16);
    r.OutTemp = loadLeF32(p + 20);
    r.OutHumi = loadLeI32(p + 24);
    r.RelPressure = loadLeF32(p + 28);
    r.AbsPressure = loadLeF32(p + 32);
    r.Wind = loadLeF32(p + 36);
    r.Gust = loadLeF32(p + 40);
    r.WindDirection = loadLeI32(p + 44);
    r.DewPoint = loadLeF32(p + 48);
    r.WindChill = loadLeF32(p + 52);
    r.Rain = loadLeF32(p + 56);
    r.Rcount = loadLeI32(p + 60);
    r.Rain1 = loadLeF32(p + 64);
    r.Rain2 = loadLeF32(p + 68);
    r.Rain3 = loadLeF32(p + 72);
    r.Rain4 = loadLeF32(p + 76);
    r.Rain5 = loadLeF32(p + 80);
    r.RainYear = loadLeF32(p + 84);
    r.Light = loadLeF32(p + 88);
    r.UV = loadLeI32(p + 92);
    return r;
}

void HistoryRecord::toImage(std::uint8_t* p) const {
    storeLeF64(p + 0, Time);
    storeLeI32(p + 8, Interval);
    storeLeF32(p + 12, InTemp);
    storeLeI32(p + 16, InHumi);
    storeLeF32(p + 20, OutTemp);
    storeLeI32(p + 24, OutHumi);
    storeLeF32(p + 28, RelPressure);
    storeLeF32(p + 32, AbsPressure);
    storeLeF32(p + 36, Wind);
    storeLeF32(p + 40, Gust);
    storeLeI32(p + 44, WindDirection);
    storeLeF32(p + 48, DewPoint);
    storeLeF32(p + 52, WindChill);
    storeLeF32(p + 56, Rain);
    storeLeI32(p + 60, Rcount);
    storeLeF32(p + 64, Rain1);
    storeLeF32(p + 68, Rain2);
    storeLeF32(p + 72, Rain3);
    storeLeF32(p + 76, Rain4);
    storeLeF32(p + 80, Rain5);
    storeLeF32(p + 84, RainYear);
    storeLeF32(p + 88, Light);
    storeLeI32(p + 92, UV);
}

HistoryRecord::Image HistoryRecord::toImage() const {
    Image image{};
    toImage(image.data());
    return image;
}

}  // namespace nimbra
