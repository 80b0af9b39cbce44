#include "protocol/frame_extractor.h"

#include <cstring>

#include "protocol/frame_codec.h"

namespace kestra {

int FrameExtractor::feed_impl(std::string_view datagram, void* context, Sink sink) {
    const std::size_t nul = datagram.find('\0');
    if (nul != std::string_view::npos) {
        datagram = datagram.substr(0, nul);
    }
    if (pending_.empty()) {
        // The common case: scan the datagram in place and copy only what is left over.
        std::size_t consumed = 0;
        const int count = scan(datagram, consumed, context, sink);
        keep_tail(datagram.substr(consumed));
        return count;
    }
    // Scanned in place: the frames handed out are views into pending_, which stays untouched
    // until the scan is done, and only the used-up front is erased (its capacity is kept).
    pending_.append(datagram);
    std::size_t consumed = 0;
    const int count = scan(pending_, consumed, context, sink);
    std::size_t from = consumed;
    if (pending_.size() - consumed > kPendingCap) {
        const std::size_t last = pending_.rfind('%');
        const bool keep =
            last != std::string::npos && last >= consumed && pending_.size() - last <= kPendingCap;
        from = keep ? last : pending_.size();
    }
    pending_.erase(0, from);
    return count;
}

// Works on `work` from the front; `consumed` is how much of it is used up. Text in front of
// a "%" whose "#" came first is the stray end of an earlier frame; a "%" that follows
// another before the "#" starts over (the earlier frame lost its tail).
int FrameExtractor::scan(std::string_view work, std::size_t& consumed, void* context, Sink sink) {
    int count = 0;
    std::size_t pos = 0;
    // A working text of two characters or fewer cannot hold a frame; it is kept whole.
    if (work.size() <= 2) {
        consumed = 0;
        return 0;
    }
    for (;;) {
        const std::size_t s = work.find('%', pos);
        if (s == std::string_view::npos) {
            break;
        }
        const std::size_t e = work.find('#', s);
        if (e == std::string_view::npos) {
            pos = s;
            break;
        }
        // The last "%" in front of the "#", searched forwards within the frame only: memchr
        // beats the byte loop of rfind.
        const char* start_mark = work.data() + s;
        const char* const end_mark = work.data() + e;
        for (const char* p = start_mark + 1;
             (p = static_cast<const char*>(std::memchr(p, '%', end_mark - p))) != nullptr; ++p) {
            start_mark = p;
        }
        const std::size_t start = static_cast<std::size_t>(start_mark - work.data());
        const std::string_view candidate = work.substr(start, e - start + 1);
        if (frame_is_valid(candidate)) {
            sink(context, candidate);
            ++count;
        }
        pos = e + 1;
    }
    consumed = pos;
    return count;
}

void FrameExtractor::keep_tail(std::string_view tail) {
    if (tail.size() > kPendingCap) {
        const std::size_t last = tail.rfind('%');
        tail = (last == std::string_view::npos) ? std::string_view{} : tail.substr(last);
        if (tail.size() > kPendingCap) {
            tail = {};
        }
    }
    pending_.assign(tail);
}

}  // namespace kestra
