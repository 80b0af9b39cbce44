#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/device_endpoint.h"

namespace kestra {

// The subnet sweep: which addresses get the probe, which answers name a processor, and the
// list of processors found.
class Discovery {
public:
    static constexpr const char* kProbe = "%R,01,04,F0A2#";
    static constexpr int kProbesPerAddress = 2;

    struct Row {
        std::string address;
        uint16_t port = DeviceEndpoint::kDefaultPort;
        bool operator==(const Row&) const = default;
    };

    // a.b.c.2 to a.b.c.254 of the host's /24, without the host itself; never .0, .1, .255.
    static std::vector<DeviceEndpoint> sweep_targets(const DeviceEndpoint& host, uint16_t port);

    // A valid frame answers like a processor when its letter is "R" and its item 2 is
    // exactly four characters reading as the decimal number 4.
    static bool is_processor_reply(std::string_view frame);

    // Adds a row for an accepted reply; an address already listed is not added again.
    bool add(const std::string& address, uint16_t port);
    void clear() { rows_.clear(); }
    const std::vector<Row>& rows() const { return rows_; }

private:
    std::vector<Row> rows_;
};

}  // namespace kestra
