#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "protocol/frame_builder.h"
#include "protocol/frame_codec.h"
#include "run_process.h"

namespace kestra {
namespace {

using testing::ProcessResult;
using testing::run_process;

ProcessResult ctl(const std::vector<std::string>& args, const std::string& input = {}) {
    return run_process(KESTRA_CTL_PATH, args, input);
}

class TempDir {
public:
    TempDir() {
        path_ = std::filesystem::temp_directory_path() /
                ("kestra-ctl-test-" + std::to_string(::getpid()) + "-" + std::to_string(++count_));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string file(const std::string& name, const std::string& content = {}) const {
        const auto p = path_ / name;
        if (!content.empty()) {
            std::ofstream(p) << content;
        }
        return p.string();
    }

private:
    static inline int count_ = 0;
    std::filesystem::path path_;
};

TEST(KestraCtlFrame, EncodeCheckAndExtract) {
    EXPECT_EQ(ctl({"frame", "encode", "R", "01", "04"}).out, "%R,01,04,F0A2#\n");
    EXPECT_EQ(ctl({"frame", "encode", "Z", "01"}).out, "%Z,01,F143#\n");

    const auto valid = ctl({"frame", "check", "%R,01,04,F0A2#"});
    EXPECT_EQ(valid.exit_code, 0);
    EXPECT_EQ(valid.out, "valid\n");
    const auto invalid = ctl({"frame", "check", "%R,01,04,f0a2#"});
    EXPECT_EQ(invalid.exit_code, 1);
    EXPECT_EQ(invalid.out, "invalid\n");

    const auto extracted =
        ctl({"frame", "extract"}, "xyz#%R,01,04,F0A2#%R,0\n1,04,F0A2#\n%A,1234#\n%Z,01,F143#\n");
    EXPECT_EQ(extracted.exit_code, 0);
    EXPECT_EQ(extracted.out, "%R,01,04,F0A2#\n%R,01,04,F0A2#\n%Z,01,F143#\n");
}

TEST(KestraCtlParams, PrintsTheCatalogueOneRowALineAndFiltersByPattern) {
    const auto volumes = ctl({"params", "in.*.volume"});
    EXPECT_EQ(volumes.exit_code, 0) << volumes.err;
    EXPECT_EQ(std::count(volumes.out.begin(), volumes.out.end(), '\n'), 64);
    EXPECT_EQ(volumes.out.substr(0, volumes.out.find('\n') + 1),
              "in.1.volume\tVOL\tlevel\tdB\t-60\t10\t1\t\n");
    const auto band = ctl({"params", "in.3.peq.2.*"});
    EXPECT_NE(band.out.find("in.3.peq.2.gain\tBAND2 GAIN\tlevel\tdB\t-15.0\t15.0\t0.1\t\n"),
              std::string::npos)
        << band.out;
    EXPECT_NE(band.out.find("in.3.peq.2.type\tBAND2 TYPE\tchoice\t\t0\t2\t1\t"
                            "PEAK|LOW SHELF|HIGH SHELF\n"),
              std::string::npos);
    const auto source = ctl({"params", "in.40.source"});
    EXPECT_EQ(source.out, "in.40.source\tSOURCE\tchoice\t\t0\t4\t1\tDANTE|AUX1|AUX2|AUX3|AUX4\n");
    const auto all = ctl({"params"});
    EXPECT_GT(std::count(all.out.begin(), all.out.end(), '\n'), 3000);
    EXPECT_NE(all.out.find("group.control.1.link.VOL\tVOL link\tbool\t"), std::string::npos);
    EXPECT_EQ(ctl({"params", "in.65.*"}).exit_code, 1);
    EXPECT_EQ(ctl({"params", "in..volume"}).exit_code, 1);
    EXPECT_EQ(ctl({"params", "a", "b"}).exit_code, 2);
}

TEST(KestraCtlFrame, RefusesBadArguments) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"frame", "encode", "r", "01"},
                                                                  {"frame", "encode", "RR"},
                                                                  {"frame", "encode", "R", "0,1"},
                                                                  {"frame", "check"},
                                                                  {"frame", "nope"},
                                                                  {"bogus"},
                                                                  {"--state"}}) {
        const auto r = ctl(args);
        EXPECT_NE(r.exit_code, 0) << args.back();
        EXPECT_NE(r.err.find("error:"), std::string::npos) << args.back();
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(KestraCtlState, DefaultsAndStateFiles) {
    const auto r = ctl({"state", "defaults"});
    ASSERT_EQ(r.exit_code, 0);
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["inputs"].size(), 64u);
    EXPECT_EQ(j["inputs"][6]["name"], "CH 7");
    EXPECT_EQ(j["outputs"][8]["short_name"], "D 1");
    // Every EQ band starts flat, the fifth PEQ band and all 31 GEQ bands too.
    for (const auto& in : j["inputs"]) {
        for (const auto& band : in["peq_band"]) {
            EXPECT_EQ(band["gain"], 150);
        }
    }
    for (const auto& out : j["outputs"]) {
        ASSERT_EQ(out["geq_band"].size(), 31u);
        for (const auto& band : out["geq_band"]) {
            EXPECT_EQ(band["gain"], 150);
        }
    }

    TempDir dir;
    const auto good = dir.file("s.json", R"({"inputs":[{},{},{"volume":12,"mute":1}]})");
    EXPECT_EQ(ctl({"--state", good, "encode", "A", "3"}).out,
              FrameBuilder('A').hex2(1).hex2(3).hex2(1).hex2(12).finish() + "\n");
    const auto bad = dir.file("bad.json", R"({"inputs":[{"volume":1,"colour":2}]})");
    const auto refused = ctl({"--state", bad, "state", "defaults"});
    EXPECT_EQ(refused.exit_code, 0);  // defaults ignore --state
    const auto failed = ctl({"--state", bad, "encode", "Z"});
    EXPECT_NE(failed.exit_code, 0);
    EXPECT_NE(failed.err.find("inputs[0].colour"), std::string::npos);
}

// A prepared state is read only from a regular file of a state file's length, and only with
// every value in its range; anything else is refused with the reason, never a crash.
TEST(KestraCtlState, AStateThatIsNoFileOrHoldsAValueOutOfRangeIsRefused) {
    TempDir dir;
    const auto loud = dir.file("loud.json", R"({"inputs":[{"volume":9999}]})");
    const std::pair<std::string, std::string> cases[] = {
        {dir.file(""), "is not a regular file"},
        {"/dev/zero", "is not a regular file"},
        {loud, "input 1 volume 9999 is outside 0-70"}};
    for (const auto& [path, why] : cases) {
        const auto r = ctl({"--state", path, "encode", "A", "1"});
        EXPECT_NE(r.exit_code, 0) << path;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
    }
}

TEST(KestraCtlState, ApplyRoutesDatagramsIntoTheState) {
    FrameBuilder faders('P');
    faders.hex2(1);
    std::string volumes;
    for (int ch = 0; ch < 80; ++ch) {
        FrameBuilder::append_hex(volumes, ch % 71, 2);
    }
    faders.field(volumes).hex2(9);
    const std::string frame = faders.finish();
    // Split across two datagrams, with noise in front.
    const std::string input = "noise#" + frame.substr(0, 50) + "\n" + frame.substr(50) + "\n";
    const auto r = ctl({"state", "apply"}, input);
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["inputs"][10]["volume"], 10);
    EXPECT_EQ(j["outputs"][15]["volume"], 79 % 71);
    EXPECT_EQ(j["system"]["unit_extra"], 9);
}

TEST(KestraCtlEncode, BuildsSenderFramesFromTheState) {
    EXPECT_EQ(ctl({"encode", "A", "3"}).out, "%A,01,03,00,46,B510#\n");
    EXPECT_EQ(ctl({"encode", "Z"}).out, "%Z,01,F143#\n");
    EXPECT_EQ(ctl({"encode", "R"}).out, "%R,01,04,F0A2#\n");
    EXPECT_EQ(ctl({"encode", "Q", "1"}).out, "%Q,01,01,B5E1#\n");
    EXPECT_NE(ctl({"encode", "A", "81"}).exit_code, 0);
    EXPECT_NE(ctl({"encode", "A"}).exit_code, 0);
    EXPECT_NE(ctl({"encode", "A", "x"}).exit_code, 0);
}

TEST(KestraCtlEncode, NameFrameComesInPiecesThatJoinToOneValidFrame) {
    const auto r = ctl({"encode", "V", "1"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::string joined;
    std::size_t lines = 0;
    std::size_t start = 0;
    while (start < r.out.size()) {
        const std::size_t end = r.out.find('\n', start);
        const std::string piece = r.out.substr(start, end - start);
        if (end + 1 < r.out.size()) {
            EXPECT_EQ(piece.size(), 256u);
        }
        joined += piece;
        ++lines;
        start = end + 1;
    }
    EXPECT_EQ(lines, 3u);  // 4 + 32 + 576 + checksum characters
    EXPECT_TRUE(frame_is_valid(joined)) << joined;
    EXPECT_EQ(joined.rfind("%V,01,01,00430048002000300031000000000000,", 0), 0u) << joined;
}

TEST(KestraCtlImage, WritesAndReadsImagesAndScenes) {
    TempDir dir;
    const auto state = dir.file("s.json", R"({"outputs":[{"lim_ratio":44}]})");
    const auto image = dir.file("state.img");
    ASSERT_EQ(ctl({"--state", state, "image", "write", image}).exit_code, 0);
    EXPECT_EQ(std::filesystem::file_size(image), 68276u);
    const auto r = ctl({"image", "read", image});
    ASSERT_EQ(r.exit_code, 0);
    EXPECT_EQ(nlohmann::json::parse(r.out)["outputs"][0]["lim_ratio"], 44);

    std::string scene_bytes(71236, '\0');
    scene_bytes[4 + 304] = 33;  // input 1 volume
    const auto scene = dir.file("SAVE1.dat");
    std::ofstream(scene, std::ios::binary).write(scene_bytes.data(), 71236);
    const auto s = ctl({"image", "read", scene});
    ASSERT_EQ(s.exit_code, 0);
    EXPECT_EQ(nlohmann::json::parse(s.out)["inputs"][0]["volume"], 33);

    const auto shortfile = dir.file("short.img", "abc");
    const auto refused = ctl({"image", "read", shortfile});
    EXPECT_NE(refused.exit_code, 0);
    EXPECT_NE(refused.err.find("68276"), std::string::npos);
    EXPECT_NE(ctl({"image", "read", dir.file("missing.img")}).exit_code, 0);
}

std::vector<double> curve_lines(const std::string& text) {
    std::vector<double> values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(std::regex_match(line, std::regex("-?[0-9]+\\.[0-9]{4}"))) << line;
        values.push_back(std::stod(line));
    }
    return values;
}

TEST(KestraCtlShell, CurvePrintsTheGridValuesOfAChannelFromTheState) {
    const std::string port = std::to_string(43000 + ::getpid() % 2000);
    const auto r = ctl({"--device", "127.0.0.9:" + port, "--local-port", port, "shell"},
                       "curve input 1\ncurve output 16\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::vector<double> values = curve_lines(r.out);
    ASSERT_EQ(values.size(), 2 * 241u);
    // Start-up state: every band flat at 0 dB, filters off, so both curves are flat.
    EXPECT_TRUE(std::all_of(values.begin(), values.begin() + 241,
                            [](double v) { return std::abs(v) < 0.05; }));
    EXPECT_TRUE(std::all_of(values.begin() + 241, values.end(), [](double v) { return v == 0; }));

    const auto bad = ctl({"--device", "127.0.0.9:" + port, "--local-port", port, "shell"},
                         "curve output 17\ncurve input 0\ncurve input\ncurve input 2\n");
    EXPECT_EQ(bad.exit_code, 1);
    EXPECT_NE(bad.err.find("error: channel: 17 is outside 1..16"), std::string::npos) << bad.err;
    EXPECT_NE(bad.err.find("error: channel: 0 is outside 1..64"), std::string::npos);
    EXPECT_NE(bad.err.find("error: usage: curve input N | curve output M"), std::string::npos);
    EXPECT_EQ(curve_lines(bad.out).size(), 241u);  // the good line still ran
}

// The shell's typed entry goes through the read-out's parser: a word is refused, not 0 dB.
TEST(KestraCtlShell, TypedEntryRefusesTextThatIsNoNumberAndTakesKilohertz) {
    const std::string port = std::to_string(43000 + ::getpid() % 2000);
    const auto r = ctl({"--device", "127.0.0.9:" + port, "--local-port", port, "shell"},
                       "type 4 3 -20\ntype 4 3 abc\nreadout 4 3\ntype 20 20 1.5k\nreadout 20 20\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "VOL\t-20dB\nHPF\t1500Hz\n");
    EXPECT_NE(r.err.find("notice: VOL: \"abc\" is not a number; nothing changed."),
              std::string::npos)
        << r.err;
}

TEST(KestraCtlShell, StartsFromTheStateFileInEachOfItsForms) {
    const std::string port = std::to_string(43000 + ::getpid() % 2000);
    const auto shell = [&](const std::string& file) {
        return ctl(
            {"--state", file, "--device", "127.0.0.9:" + port, "--local-port", port, "shell"},
            "dump\n");
    };
    TempDir dir;
    const auto json = dir.file("room.json", R"({"inputs":[{},{},{"volume":12}]})");
    const auto from_json = shell(json);
    ASSERT_EQ(from_json.exit_code, 0) << from_json.err;
    EXPECT_EQ(nlohmann::json::parse(from_json.out)["inputs"][2]["volume"], 12);

    const auto image = dir.file("room.img");
    ASSERT_EQ(ctl({"--state", json, "image", "write", image}).exit_code, 0);
    const auto from_image = shell(image);
    ASSERT_EQ(from_image.exit_code, 0) << from_image.err;
    EXPECT_EQ(nlohmann::json::parse(from_image.out)["inputs"][2]["volume"], 12);

    std::string scene_bytes(71236, '\0');
    scene_bytes[4 + 304] = 33;  // input 1 volume
    const auto scene = dir.file("SAVE1.dat");
    std::ofstream(scene, std::ios::binary).write(scene_bytes.data(), 71236);
    const auto from_scene = shell(scene);
    ASSERT_EQ(from_scene.exit_code, 0) << from_scene.err;
    EXPECT_EQ(nlohmann::json::parse(from_scene.out)["inputs"][0]["volume"], 33);

    const auto missing = shell(dir.file("missing.json"));
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_TRUE(missing.out.empty());  // no line ran on the defaults
    EXPECT_NE(missing.err.find("missing.json"), std::string::npos) << missing.err;
}

// The journal's lines as the shell prints them, each in the catalogue's words: a member by the
// group it joined, a switch by where it went, the synced threshold once for its 32 channels.
TEST(KestraCtlShell, TheJournalReadsInTheOperatorsWords) {
    const std::string port = std::to_string(45000 + ::getpid() % 2000);
    TempDir dir;
    const auto r = ctl({"--data-dir", dir.file(""), "--device", "127.0.0.9:" + port, "--local-port",
                        port, "shell"},
                       "group control 1 member input 3 on\n"
                       "set input 4 comp_on 1\n"
                       "set input 1 gain_step 3\n"
                       "set system automix_sync 1\n"
                       "set input 1 automix_threshold 40\n"
                       "undo\n"
                       "journal 6\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> texts;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t tab = line.find('\t');
        texts.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
    }
    const std::string threshold = "AUTOMIX THRESHOLD -80dB \u2192 -40dB on 32 channels";
    EXPECT_EQ(texts, (std::vector<std::string>{
                         threshold, "operator\tC GROUP 1: CH 03 added", "operator\tCH 04 COMP on",
                         "operator\tCH 01 GAIN 0dB \u2192 3dB", "operator\tSYSTEM SYNC on",
                         "operator\t" + threshold, "undo\tUndone: " + threshold}));
}

TEST(KestraCtlShell, SceneDiffListsChangedFieldsAgainstTheStateOrAnotherScene) {
    const std::string port = std::to_string(43000 + ::getpid() % 2000);
    TempDir dir;
    const auto room = dir.file("room.json", R"({"inputs":[{},{},{"volume":50}]})");
    const auto r = ctl({"--state", room, "--data-dir", dir.file(""), "--device",
                        "127.0.0.9:" + port, "--local-port", port, "shell"},
                       "scene save\n"
                       "set input 3 volume 70\n"
                       "set input 1 matrix_row[4] 1\n"
                       "set output 2 lim_attack 9\n"
                       "group control 2 member input 6 on\n"
                       "scene save\n"
                       "scene diff 1 2\n"
                       "scene diff 2\n"
                       "scene diff 1\n"
                       "scene diff 7\n"
                       "scene diff\n");
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(r.out,
              "1:SAVE1\n"
              "2:SAVE2\n"
              "CH 01\tROUTE 5\toff \u2192 on\n"
              "CH 03\tVOL\t-10dB \u2192 10dB\n"
              "M 2\tLIMIT ATTACK\t1ms \u2192 9ms\n"
              "C GROUP 2\tCH 06\tadded\n"
              "4 values on 4 channels differ\n"
              "no differences\n"
              "CH 01\tROUTE 5\ton \u2192 off\n"
              "CH 03\tVOL\t10dB \u2192 -10dB\n"
              "M 2\tLIMIT ATTACK\t9ms \u2192 1ms\n"
              "C GROUP 2\tCH 06\tremoved\n"
              "4 values on 4 channels differ\n");
    EXPECT_NE(r.err.find("error: scene: no scene 7"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("error: usage: scene save"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace kestra
