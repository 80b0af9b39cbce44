#include "support/recording_frames.h"

namespace kestra::testing {

bool RecordingFrames::send(const DatagramList& list) {
    for (const Datagram& d : list) {
        sent.push_back(d);
        frames.push_back(d.payload);
        gaps.push_back(d.gap);
    }
    batches.push_back(list);
    return true;
}

void RecordingFrames::clear() {
    sent.clear();
    frames.clear();
    gaps.clear();
    batches.clear();
}

}  // namespace kestra::testing
