#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "protocol/frame_sink.h"

namespace kestra::testing {

// Keeps every datagram it is handed, in order, in the forms the tests compare: whole, as its
// payload text beside its gap, and the batches one send() carried. The four views always
// agree, so forget through clear() and never by emptying one of them.
class RecordingFrames : public FrameSink {
public:
    bool send(const DatagramList& list) override;
    void clear();

    DatagramList sent;
    std::vector<std::string> frames;
    std::vector<std::chrono::milliseconds> gaps;
    std::vector<DatagramList> batches;
};

}  // namespace kestra::testing
