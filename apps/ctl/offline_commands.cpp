#include "offline_commands.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

#include "glyph/glyph_support.h"
#include "model/state_image.h"
#include "model/state_json.h"
#include "parameter_listing.h"
#include "protocol/command_encoder.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "protocol/frame_extractor.h"
#include "protocol/frame_sink.h"
#include "protocol/reply_dispatcher.h"
#include "store/scene_file.h"
#include "store/state_file.h"
#include "util/clock.h"

namespace kestra::ctl {

namespace {

// A regular file no longer than a scene file; a device or a huge file is refused unread.
std::vector<uint8_t> read_file(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!SceneFile::read(path, bytes, error, StateImage::kSceneSize)) {
        throw CommandError(error);
    }
    return bytes;
}

// Writes next to the target and renames, so a failed write never leaves half a file.
void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
        f.flush();
        if (!f) {
            std::remove(tmp.c_str());
            throw CommandError("cannot write " + path);
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::remove(tmp.c_str());
        throw CommandError("cannot write " + path + ": " + ec.message());
    }
}

DeviceState load_state(const GlobalOptions& options, const NameCodec& codec) {
    DeviceState state;
    std::string error;
    if (options.state_file && !StateFile::load(*options.state_file, codec, state, error)) {
        throw CommandError(error);
    }
    return state;
}

void print_state(const DeviceState& state, const NameCodec& codec, std::ostream& out) {
    out << StateJson::dump(state, codec) << '\n';
}

std::string strip_line_end(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

void require_args(const std::vector<std::string>& args, std::size_t min, std::size_t max,
                  const char* usage) {
    if (args.size() < min || args.size() > max) {
        throw UsageError(std::string("usage: kestra-ctl ") + usage);
    }
}

int frame_command(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
    if (args.size() < 2) {
        throw UsageError("usage: kestra-ctl frame encode|check|extract ...");
    }
    const std::string& sub = args[1];
    if (sub == "encode") {
        if (args.size() < 3 || args[2].size() != 1 || args[2][0] < 'A' || args[2][0] > 'Z') {
            throw UsageError("usage: kestra-ctl frame encode LETTER [FIELD...] (LETTER is A-Z)");
        }
        FrameBuilder builder(args[2][0]);
        for (std::size_t i = 3; i < args.size(); ++i) {
            if (args[i].find_first_of(",%#") != std::string::npos) {
                throw UsageError("field '" + args[i] + "' may not contain ',', '%' or '#'");
            }
            builder.field(args[i]);
        }
        out << builder.finish() << '\n';
        return 0;
    }
    if (sub == "check") {
        require_args(args, 3, 3, "frame check TEXT");
        const bool valid = frame_is_valid(args[2]);
        out << (valid ? "valid" : "invalid") << '\n';
        return valid ? 0 : 1;
    }
    if (sub == "extract") {
        require_args(args, 2, 2, "frame extract");
        FrameExtractor extractor;
        std::string line;
        while (std::getline(in, line)) {
            extractor.feed(strip_line_end(line), [&](std::string_view f) { out << f << '\n'; });
        }
        return 0;
    }
    throw UsageError("unknown frame command '" + sub + "'");
}

class DiscardingSink : public FrameSink {
public:
    bool send(const DatagramList&) override { return true; }
};

int state_command(const GlobalOptions& options, const std::vector<std::string>& args,
                  std::istream& in, std::ostream& out) {
    const NameCodec codec;
    if (args.size() >= 2 && args[1] == "defaults") {
        require_args(args, 2, 2, "state defaults");
        print_state(DeviceState{}, codec, out);
        return 0;
    }
    if (args.size() >= 2 && args[1] == "apply") {
        require_args(args, 2, 3, "state apply [FILE]");
        DeviceState state = load_state(options, codec);
        ManualClock clock;
        DiscardingSink sink;
        Publisher<StateChange> changes;
        ReplyDispatcher dispatcher(state, changes, clock, sink, codec);
        FrameExtractor extractor;
        std::ifstream file;
        if (args.size() == 3) {
            file.open(args[2]);
            if (!file) {
                throw CommandError("cannot open " + args[2]);
            }
        }
        std::istream& source = args.size() == 3 ? file : in;
        std::string line;
        while (std::getline(source, line)) {
            extractor.feed(strip_line_end(line),
                           [&](std::string_view f) { dispatcher.route_frame(f); });
        }
        print_state(state, codec, out);
        return 0;
    }
    throw UsageError("usage: kestra-ctl state defaults | state apply [FILE]");
}

int encode_command_line(const GlobalOptions& options, const std::vector<std::string>& args,
                        std::ostream& out) {
    if (args.size() < 2 || args[1].size() != 1) {
        throw UsageError("usage: kestra-ctl encode LETTER [ARGS...]");
    }
    const char letter = args[1][0];
    if (letter == 'S' || letter == 'T') {
        throw UsageError("encode " + args[1] + ": firmware frames are built by the update");
    }
    std::vector<int> numbers;
    for (std::size_t i = 2; i < args.size(); ++i) {
        numbers.push_back(parse_int(args[i], 0, 0xFFFF, "argument " + std::to_string(i - 1)));
    }
    const NameCodec codec;
    const DeviceState state = load_state(options, codec);
    GlyphSupport glyphs;
    CommandContext context;
    context.codec = &codec;
    if (letter == 'V') {
        context.glyphs = &glyphs;
    }
    DatagramList datagrams;
    try {
        datagrams = encode_command(state, letter, numbers, context);
    } catch (const std::invalid_argument& e) {
        throw UsageError(std::string("encode ") + letter + ": " + e.what());
    }
    for (const Datagram& d : datagrams) {
        out << d.payload << '\n';
    }
    return 0;
}

int image_command(const GlobalOptions& options, const std::vector<std::string>& args,
                  std::ostream& out) {
    const NameCodec codec;
    if (args.size() == 3 && args[1] == "write") {
        write_file(args[2], StateImage::encode(load_state(options, codec)));
        return 0;
    }
    if (args.size() == 3 && args[1] == "read") {
        const auto bytes = read_file(args[2]);
        DeviceState state;
        const bool ok = bytes.size() == StateImage::kSceneSize
                            ? StateImage::decode_scene(bytes, state)
                            : StateImage::decode(bytes, state);
        if (!ok) {
            throw CommandError(args[2] + ": " + std::to_string(bytes.size()) +
                               " bytes; an image has 68276 and a scene file 71236");
        }
        print_state(state, codec, out);
        return 0;
    }
    throw UsageError("usage: kestra-ctl image write FILE | image read FILE");
}

}  // namespace

bool is_offline_command(const std::string& word) {
    return word == "frame" || word == "state" || word == "encode" || word == "image" ||
           word == "params";
}

int run_offline_command(const GlobalOptions& options, const std::vector<std::string>& args,
                        std::istream& in, std::ostream& out) {
    const std::string& word = args.at(0);
    if (word == "frame") {
        return frame_command(args, in, out);
    }
    if (word == "state") {
        return state_command(options, args, in, out);
    }
    if (word == "encode") {
        return encode_command_line(options, args, out);
    }
    if (word == "params") {
        if (args.size() > 2) {
            throw UsageError("usage: kestra-ctl params [PATTERN]");
        }
        ParameterListing::print_rows(args.size() == 2 ? args[1] : "*", out);
        return 0;
    }
    return image_command(options, args, out);
}

}  // namespace kestra::ctl
