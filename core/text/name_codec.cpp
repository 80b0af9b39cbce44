#include "text/name_codec.h"

#include <iconv.h>

#include <cerrno>
#include <memory>

namespace kestra {

namespace {

class Iconv {
public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) {
            iconv_close(handle_);
        }
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; false on any invalid or incomplete sequence.
    bool convert(std::string_view in, std::string& out) const {
        out.clear();
        if (!ok()) {
            return false;
        }
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        std::string src(in);
        char* inp = src.data();
        std::size_t inleft = src.size();
        char buf[256];
        while (inleft > 0) {
            char* outp = buf;
            std::size_t outleft = sizeof buf;
            const std::size_t r = iconv(handle_, &inp, &inleft, &outp, &outleft);
            out.append(buf, static_cast<std::size_t>(outp - buf));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
                return false;
            }
        }
        return true;
    }

private:
    iconv_t handle_;
};

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::u32string utf8_to_code_points(std::string_view s) {
    std::u32string out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || (extra > 0 && i + static_cast<std::size_t>(extra) >= s.size())) {
            out += kReplacement;
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? c : (c & (0x3F >> extra));
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!valid) {
            out += kReplacement;
            ++i;
            continue;
        }
        out += cp;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::string code_points_to_utf8(std::u32string_view cps) {
    std::string out;
    for (char32_t cp : cps) {
        append_utf8(out, cp);
    }
    return out;
}

NameCodec::NameCodec(std::string code_page) : code_page_(std::move(code_page)) {}

std::vector<std::string_view> NameCodec::split_characters(std::string_view legacy) {
    std::vector<std::string_view> chars;
    std::size_t i = 0;
    while (i < legacy.size()) {
        const bool wide = static_cast<unsigned char>(legacy[i]) > 127 && i + 1 < legacy.size();
        const std::size_t n = wide ? 2 : 1;
        chars.push_back(legacy.substr(i, n));
        i += n;
    }
    return chars;
}

std::string NameCodec::to_utf8(std::string_view legacy) const {
    Iconv cd("UTF-8", code_page_.c_str());
    std::string out;
    for (std::string_view ch : split_characters(legacy)) {
        std::string piece;
        if (static_cast<unsigned char>(ch[0]) < 0x80) {
            out += ch[0];
        } else if (cd.convert(ch, piece)) {
            out += piece;
        } else {
            append_utf8(out, kReplacement);
        }
    }
    return out;
}

std::u16string NameCodec::to_utf16(std::string_view legacy) const {
    std::u16string out;
    for (char32_t cp : utf8_to_code_points(to_utf8(legacy))) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string NameCodec::convert_one(std::u32string_view cp) const {
    if (cp.size() == 1 && cp[0] < 0x80) {
        return std::string(1, static_cast<char>(cp[0]));
    }
    Iconv cd(code_page_.c_str(), "UTF-8");
    std::string out;
    if (!cd.convert(code_points_to_utf8(cp), out) || out.empty()) {
        return "?";
    }
    return out;
}

std::string NameCodec::from_utf8(std::string_view utf8, std::size_t max_bytes) const {
    std::string out;
    for (char32_t cp : utf8_to_code_points(utf8)) {
        const std::string piece = convert_one(std::u32string_view(&cp, 1));
        if (out.size() + piece.size() > max_bytes) {
            break;
        }
        out += piece;
    }
    return out;
}

std::string NameCodec::from_utf16(std::u16string_view utf16, std::size_t max_bytes) const {
    std::u32string cps;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t u = utf16[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] < 0xE000) {
            u = 0x10000 + ((u - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        }
        cps += u;
    }
    return from_utf8(code_points_to_utf8(cps), max_bytes);
}

bool NameCodec::fits(std::string_view utf8, std::size_t max_bytes) const {
    const std::string legacy = from_utf8(utf8, max_bytes + 4);
    return legacy.size() <= max_bytes && to_utf8(legacy) == utf8;
}

NameCodec::NameFit NameCodec::name_fit(std::string_view utf8) const {
    // Four legacy bytes per character is more than any code page needs, so only a lossy
    // conversion fails this first check.
    if (!fits(utf8, 4 * utf8.size())) {
        return NameFit::NotEncodable;
    }
    // The field keeps its terminating zero, so 15 bytes are the most a name may take.
    return fits(utf8, FixedText::kMaxLength) ? NameFit::Fits : NameFit::TooWide;
}

}  // namespace kestra
