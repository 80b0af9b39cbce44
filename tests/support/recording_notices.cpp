#include "support/recording_notices.h"

#include <stdexcept>

namespace kestra::testing {

void RecordingNotices::notice(const std::string& text, const std::string& caption) {
    texts.push_back(text);
    captions.push_back(caption);
}

std::vector<Notice> RecordingNotices::all() const {
    std::vector<Notice> out;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        out.push_back({texts[i], captions[i]});
    }
    return out;
}

Notice RecordingNotices::last() const {
    if (texts.empty()) {
        throw std::logic_error("no notice was told");
    }
    return {texts.back(), captions.back()};
}

void RecordingNotices::clear() {
    texts.clear();
    captions.clear();
}

}  // namespace kestra::testing
