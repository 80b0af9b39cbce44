#pragma once

#include <cstdio>
#include <string>

#include "protocol/frame_sink.h"

namespace kestra::bench {

// A bench has no operator: what would be a message box goes to stderr, so a failed setup
// says why before the bench gives up.
class StderrNotices final : public NoticeSink {
public:
    void notice(const std::string& text, const std::string& caption) override {
        std::fprintf(stderr, "%s: %s\n", caption.empty() ? NoticeSink::kCaption : caption.c_str(),
                     text.c_str());
    }
};

}  // namespace kestra::bench
