#pragma once

#include <string>
#include <vector>

#include "protocol/frame_sink.h"

namespace kestra::testing {

struct Notice {
    std::string text;
    std::string caption;
    bool operator==(const Notice&) const = default;
};

// Keeps every notice's text and caption, in order.
class RecordingNotices : public NoticeSink {
public:
    void notice(const std::string& text, const std::string& caption) override;
    std::vector<Notice> all() const;
    // The last notice; only when there was one.
    Notice last() const;
    void clear();

    std::vector<std::string> texts;
    std::vector<std::string> captions;
};

}  // namespace kestra::testing
