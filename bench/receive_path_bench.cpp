// Cost of the receive path against the checksum alone over the same bytes: a stream of level
// reports, fader reports, noise and whole-state replies cut into 2048-byte datagrams, run
// through FrameExtractor and ReplyDispatcher; and the decoding of one whole-state reply.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "model/device_state.h"
#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "protocol/frame_extractor.h"
#include "protocol/reply_decoder.h"
#include "protocol/reply_dispatcher.h"
#include "protocol/reply_encoder.h"
#include "text/name_codec.h"
#include "util/clock.h"

namespace {

using namespace kestra;

constexpr std::size_t kDatagram = 2048;

class NullSink : public FrameSink {
public:
    bool send(const DatagramList&) override { return true; }
};

// Every per-channel value different, so no field decodes to a run of equal values.
DeviceState busy_state(int seed) {
    DeviceState s;
    int n = seed;
    auto next = [&n](int lo, int hi) {
        n = (n * 1103515245 + 12345) & 0x7FFFFFFF;
        return lo + (n >> 8) % (hi - lo + 1);
    };
    for (InputChannel& ch : s.inputs) {
        ch.volume = next(0, 70);
        ch.level = next(0, 70);
        ch.mix_flag = next(0, 1);
        ch.comp_threshold = next(0, 60);
        ch.hpf_freq = next(20, 2000);
        ch.lpf_freq = next(2000, 20000);
        for (std::size_t b = 0; b < 4; ++b) {
            ch.peq_band[b].freq = next(20, 20000);
            ch.peq_band[b].gain = next(0, 300);
        }
        for (int32_t& m : ch.matrix_row) {
            m = next(0, 15);
        }
    }
    for (OutputChannel& ch : s.outputs) {
        ch.volume = next(0, 70);
        ch.level = next(0, 70);
        for (std::size_t b = 0; b < 15; ++b) {
            ch.geq_band[b].gain = next(0, 300);
        }
    }
    s.system.automix_cfg[5] = 1;
    return s;
}

// One whole-state reply and then a second's worth of reports, several times over: each "Q"
// and "P" is a datagram of its own, a "Z" arrives in 2048-byte pieces, and now and then a
// datagram is noise or a frame with a broken checksum.
std::vector<std::string> make_stream() {
    std::vector<std::string> datagrams;
    for (int round = 0; round < 4; ++round) {
        const std::string z = encode_full_state(busy_state(round + 1));
        for (std::size_t pos = 0; pos < z.size(); pos += kDatagram) {
            datagrams.push_back(z.substr(pos, kDatagram));
        }
        for (int k = 0; k < 64; ++k) {
            DeviceState s = busy_state(100 * round + k);
            datagrams.push_back(encode_levels(s, k % 33));
            if (k % 8 == 0) {
                datagrams.push_back(encode_faders(s));
            }
            if (k % 16 == 5) {
                std::string broken = encode_levels(s, 0);
                broken[10] = broken[10] == '0' ? '1' : '0';
                datagrams.push_back(broken);
                datagrams.push_back("\r\nlink up#%R,0");
            }
        }
    }
    return datagrams;
}

std::size_t total_bytes(const std::vector<std::string>& datagrams) {
    std::size_t n = 0;
    for (const std::string& d : datagrams) {
        n += d.size();
    }
    return n;
}

struct Receiver {
    DeviceState state;
    ManualClock clock;
    NullSink sink;
    NameCodec codec;
    Publisher<StateChange> changes;
    ReplyDispatcher dispatcher{state, changes, clock, sink, codec};
    FrameExtractor extractor;
    std::size_t events = 0;
    Publisher<StateChange>::Subscription view;

    // A view listens, as in the application.
    void add_view() {
        view = changes.subscribe([this](const StateChange&) { ++events; });
    }
};

// (a) extractor + checksum + routing, the checksum computed once per frame; with one view
// listening (view:1, as in the application) and with none (view:0, the cost of publishing).
void BM_ReceivePath(benchmark::State& st) {
    const auto datagrams = make_stream();
    Receiver r;
    if (st.range(0) != 0) {
        r.add_view();
    }
    r.state.system.connected = 1;
    for (auto _ : st) {
        for (const std::string& d : datagrams) {
            r.extractor.feed(d,
                             [&r](std::string_view f) { r.dispatcher.route_extracted_frame(f); });
        }
        benchmark::DoNotOptimize(r.state.inputs[0].level);
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * total_bytes(datagrams)));
    st.counters["events"] =
        benchmark::Counter(static_cast<double>(r.events) / static_cast<double>(st.iterations()));
}
BENCHMARK(BM_ReceivePath)->ArgName("view")->Arg(1)->Arg(0);

// The same with route_frame, whose decoders test the checksum a second time.
void BM_ReceivePathCheckedTwice(benchmark::State& st) {
    const auto datagrams = make_stream();
    Receiver r;
    r.add_view();
    r.state.system.connected = 1;
    for (auto _ : st) {
        for (const std::string& d : datagrams) {
            r.extractor.feed(d, [&r](std::string_view f) { r.dispatcher.route_frame(f); });
        }
        benchmark::DoNotOptimize(r.state.inputs[0].level);
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * total_bytes(datagrams)));
}
BENCHMARK(BM_ReceivePathCheckedTwice);

// Only cutting and checking, no routing.
void BM_ExtractOnly(benchmark::State& st) {
    const auto datagrams = make_stream();
    FrameExtractor extractor;
    std::size_t frames = 0;
    for (auto _ : st) {
        for (const std::string& d : datagrams) {
            frames += static_cast<std::size_t>(extractor.feed(d, [](std::string_view) {}));
        }
    }
    benchmark::DoNotOptimize(frames);
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * total_bytes(datagrams)));
}
BENCHMARK(BM_ExtractOnly);

// (b) the checksum alone over the same datagrams.
template <uint16_t (*Crc)(const char*, std::size_t)>
void BM_Crc16Stream(benchmark::State& st) {
    const auto datagrams = make_stream();
    for (auto _ : st) {
        uint16_t acc = 0;
        for (const std::string& d : datagrams) {
            acc = static_cast<uint16_t>(acc ^ Crc(d.data(), d.size()));
        }
        benchmark::DoNotOptimize(acc);
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * total_bytes(datagrams)));
}
uint16_t crc_sliced(const char* p, std::size_t n) {
    return frame_crc16(p, n);
}
BENCHMARK(BM_Crc16Stream<crc_sliced>)->Name("BM_Crc16Stream/sliced");
BENCHMARK(BM_Crc16Stream<frame_crc16_bytewise>)->Name("BM_Crc16Stream/bytewise");

// (c) one whole-state reply with every per-input field for all 64 inputs, checksum included.
void BM_DecodeFullState(benchmark::State& st) {
    const std::string z = encode_full_state(busy_state(7));
    DeviceState state;
    for (auto _ : st) {
        benchmark::DoNotOptimize(decode_full_state(z, state));
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * z.size()));
    st.counters["chars"] = static_cast<double>(z.size());
}
BENCHMARK(BM_DecodeFullState)->Unit(benchmark::kMicrosecond);

void BM_DecodeLevels(benchmark::State& st) {
    DeviceState source = busy_state(9);
    const std::string q = encode_levels(source, 4);
    DeviceState state;
    state.system.automix_cfg[5] = 1;
    for (auto _ : st) {
        benchmark::DoNotOptimize(decode_levels(q, state));
        benchmark::ClobberMemory();
    }
    st.SetBytesProcessed(static_cast<int64_t>(st.iterations() * q.size()));
}
BENCHMARK(BM_DecodeLevels)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
