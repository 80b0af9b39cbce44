#pragma once

#include <chrono>

namespace kestra {

// The waits of a firmware transfer. The defaults are the processor's pacing; tests and trials
// against the virtual processor scale them down.
struct UpdateTiming {
    using ms = std::chrono::milliseconds;

    ms release_settle{1000};       // from giving up the control port to binding it again
    ms version_timeout{5200};      // for the answer to the version query
    ms drain_quiet{200};           // emptying the socket: until nothing came for this long
    ms start_timeout{8000};        // for the first answer to "S"
    ms start_quiet{5000};          // the answer to "S" is complete after this much silence
    ms block_pause{50};            // after the last piece of a block
    ms block_timeout{2000};        // for the first answer to a block
    ms block_quiet{20};            // the answer to a block is complete after this much silence
    ms completion_pause{10};       // after the last block's answer
    ms completion_timeout{24000};  // for the first datagram of the end report
    ms completion_quiet{2500};     // the end report is complete after this much silence
    ms between_images{2000};       // after the first image has been taken
    ms collect_limit{30000};       // no exchange is read longer, however much keeps coming

    // Every wait times `factor` (0 < factor <= 1), none below 1 ms; the piece and frame gaps
    // of the datagrams themselves are not part of this.
    UpdateTiming scaled(double factor) const;
};

}  // namespace kestra
