#include "protocol/discovery.h"

#include <algorithm>

namespace kestra {

std::vector<DeviceEndpoint> Discovery::sweep_targets(const DeviceEndpoint& host, uint16_t port) {
    std::vector<DeviceEndpoint> targets;
    for (int i = 2; i <= 254; ++i) {
        if (i == host.octets[3]) {
            continue;
        }
        DeviceEndpoint ep = host;
        ep.octets[3] = static_cast<uint8_t>(i);
        ep.port = port;
        targets.push_back(ep);
    }
    return targets;
}

bool Discovery::is_processor_reply(std::string_view frame) {
    if (frame.size() < 2 || frame[0] != '%' || frame[1] != 'R') {
        return false;
    }
    const std::size_t end = frame.rfind('#');
    std::string_view body = frame.substr(1, end == std::string_view::npos ? frame.npos : end - 1);
    // Items are the pieces before each ","; the checksum after the last one is not an item.
    constexpr int kMaxItems = 20;
    int item = 0;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t comma = body.find(',', pos);
        if (comma == std::string_view::npos || item >= kMaxItems) {
            return false;
        }
        if (item == 2) {
            const std::string_view field = body.substr(pos, comma - pos);
            return field.size() == 4 &&
                   std::all_of(field.begin(), field.end(),
                               [](char c) { return c >= '0' && c <= '9'; }) &&
                   field == "0004";
        }
        ++item;
        pos = comma + 1;
    }
}

bool Discovery::add(const std::string& address, uint16_t port) {
    const bool known =
        std::any_of(rows_.begin(), rows_.end(), [&](const Row& r) { return r.address == address; });
    if (known) {
        return false;
    }
    rows_.push_back(Row{address, port});
    return true;
}

}  // namespace kestra
