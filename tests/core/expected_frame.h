#pragma once

#include <cstdio>
#include <string>

#include "protocol/frame_codec.h"

namespace kestra::testing {

// An expected frame: the literal body with its checksum and end mark, the checksum computed
// here rather than by the frame builder.
inline std::string framed(const std::string& body) {
    char crc[8];
    std::snprintf(crc, sizeof crc, "%04X", frame_crc16(body));
    return body + crc + "#";
}

// The same for a body written without its leading "%" and last ",".
inline std::string framed_fields(const std::string& fields) {
    return framed("%" + fields + ",");
}

}  // namespace kestra::testing
