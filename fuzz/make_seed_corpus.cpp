// Writes one seed file per reply kind into the directory given, in the fuzzer's input layout.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "model/device_state.h"
#include "protocol/frame_builder.h"
#include "protocol/reply_encoder.h"
#include "text/name_codec.h"

using namespace kestra;

namespace {

DeviceState sample_state() {
    DeviceState s;
    for (std::size_t k = 0; k < kInputCount; ++k) {
        InputChannel& ch = s.inputs[k];
        const auto n = static_cast<int32_t>(k);
        ch.volume = 70 - n;
        ch.level = n;
        ch.mix_flag = n % 3 == 0 ? 1 : 0;
        ch.hpf_freq = 20 + 10 * n;
        ch.peq_band[1].gain = 150 + n;
        ch.matrix_row[k % kOutputCount] = 1;
    }
    for (std::size_t k = 0; k < kOutputCount; ++k) {
        s.outputs[k].level = 40;
        s.outputs[k].geq_band[3].gain = 200;
    }
    s.system.automix_cfg = {0, 8, 1, 10, 40, 20};
    s.system.automix_cfg[5] = 1;
    s.system.device_text.assign("KESTRA-V");
    s.system.unit_table[5] = 1;
    s.system.unit_extra = 3;
    return s;
}

bool write(const std::string& dir, const std::string& name, const std::string& bytes) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const NameCodec codec;
    const DeviceState s = sample_state();
    const std::string q = encode_levels(s, 5);
    const std::string p = encode_faders(s);

    bool ok = write(dir, "z_full_state", fuzz::make_input(0, fuzz::cut(encode_full_state(s))));
    ok &= write(dir, "y_connect_reply",
                fuzz::make_input(0, fuzz::cut(encode_connect_reply(s, codec))));
    ok &= write(dir, "q_levels", fuzz::make_input(0, {q}));
    ok &= write(dir, "p_faders", fuzz::make_input(0, {p}));
    ok &= write(dir, "r_probe", fuzz::make_input(0, {"%R,01,04,F0A2#"}));
    ok &= write(dir, "g_echo",
                fuzz::make_input(0, {FrameBuilder('G').hex2(1).hex2(2).hex4(1000).finish()}));
    // Noise, a frame split across datagrams, a lost tail; checksums repaired after mutation.
    ok &= write(dir, "mixed_stream",
                fuzz::make_input(fuzz::kRepairChecksums,
                                 {"xyz#" + q.substr(0, 90), q.substr(90) + p, "%Q,0" + q, "%"}));
    return ok ? 0 : 1;
}
