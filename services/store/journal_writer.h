#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <string>

#include "protocol/frame_sink.h"
#include "store/journal_file.h"

namespace kestra {

// The journal file as a session writes it. A line that cannot be written (a folder that is
// not there or not writable, a full disk) waits in memory and is written, in order, by the
// next append or tick that can; the operator is told once when writing fails and once when
// it works again. Only when more than kMaxWaiting lines wait are the oldest dropped, and
// that is told with the recovery. The file and the data folder are made with the first line,
// so that reading a folder never creates them.
class JournalWriter {
public:
    static constexpr std::size_t kMaxWaiting = 10000;
    static constexpr const char* kFailed = "The change journal cannot be written: ";
    static constexpr const char* kWorksAgain = "The change journal is written again.";

    using TimePoint = JournalFile::TimePoint;

    JournalWriter(std::string folder, NoticeSink& notices);

    void append(const JournalLine& line, TimePoint now);
    // Writes what waits, then syncs as JournalFile::flush does.
    void tick(TimePoint now);
    void flush(TimePoint now, bool force = false);

    bool failing() const { return failing_; }
    std::size_t waiting() const { return waiting_.size(); }
    // Null until the first line was written.
    const JournalFile* file() const { return file_.get(); }

private:
    bool write_waiting(TimePoint now);
    bool open(std::string& error);

    std::string folder_;
    NoticeSink& notices_;
    std::unique_ptr<JournalFile> file_;
    std::deque<JournalLine> waiting_;
    std::size_t dropped_ = 0;
    bool failing_ = false;
};

}  // namespace kestra
