#include "session/system_clock.h"

#include <ctime>

namespace kestra {

WallTime SystemClock::wall_now() const {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    return WallTime{
        static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
        static_cast<uint16_t>(local.tm_wday),        static_cast<uint16_t>(local.tm_mday),
        static_cast<uint16_t>(local.tm_hour),        static_cast<uint16_t>(local.tm_min),
        static_cast<uint16_t>(local.tm_sec),         static_cast<uint16_t>(ms.count())};
}

}  // namespace kestra
