#pragma once

#include <string>
#include <vector>

#include "actions/action_context.h"
#include "protocol/frame_sink.h"
#include "protocol/glyph_rasterizer.h"

// What the window tests put behind a bare state: a sender that keeps every payload, notices
// that keep their texts, and glyphs that draw nothing.
namespace kestra::testing {

class RecordingSink : public FrameSink {
public:
    bool send(const DatagramList& list) override {
        for (const Datagram& d : list) {
            payloads.push_back(d.payload);
        }
        return true;
    }
    std::vector<std::string> payloads;
};

class RecordingNotices : public NoticeSink {
public:
    void notice(const std::string& text, const std::string&) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class BlankGlyphs : public GlyphRasterizer {
public:
    GlyphCell render(char32_t, bool wide) const override { return GlyphCell::blank(wide); }
};

}  // namespace kestra::testing
