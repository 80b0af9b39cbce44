#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "run_process.h"

namespace kestra {
namespace {

namespace fs = std::filesystem;
using testing::BackgroundProcess;
using testing::ProcessResult;
using testing::run_process;

int base_port() {
    static int next = 47000 + (getpid() % 500) * 20;
    return next += 4;
}

fs::path temp_path(const std::string& what) {
    static int n = 0;
    return fs::temp_directory_path() /
           ("kestra-store-online-" + std::to_string(getpid()) + "-" + std::to_string(++n) + what);
}

// One received datagram: the simulator's arrival time in ms and its text.
struct Arrival {
    double ms;
    std::string data;
};

std::vector<Arrival> read_log(const fs::path& path) {
    std::vector<Arrival> out;
    std::ifstream f(path);
    for (std::string line; std::getline(f, line);) {
        const auto j = nlohmann::json::parse(line);
        out.push_back({j["t"].get<double>() * 1000.0, j["data"].get<std::string>()});
    }
    return out;
}

// A frame joined from its pieces: arrival of the first and of the last piece.
struct Frame {
    std::string text;
    double first_ms;
    double last_ms;
};

std::vector<Frame> join(const std::vector<Arrival>& arrivals) {
    std::vector<Frame> frames;
    std::string pending;
    double first = 0;
    for (const Arrival& a : arrivals) {
        if (pending.empty()) {
            first = a.ms;
        }
        pending += a.data;
        if (a.data.find('#') != std::string::npos) {
            frames.push_back({pending, first, a.ms});
            pending.clear();
        }
    }
    return frames;
}

std::string hex2(int v) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X", v);
    return b;
}

// Letter and selector of each command of the whole-state write order, with the pause after it
// (on top of the 10 ms frame gap).
std::vector<std::pair<std::string, double>> write_order(double name_pause) {
    std::vector<std::pair<std::string, double>> e;
    e.emplace_back("Q00", 20);
    for (int i = 0; i <= 10; ++i)
        e.emplace_back("X" + hex2(i), 100);
    for (int n = 1; n <= 80; ++n) {
        e.emplace_back("V" + hex2(n), name_pause);
        e.emplace_back("A" + hex2(n), 20);
    }
    for (int n = 33; n <= 64; ++n)
        e.emplace_back("O" + hex2(n - 32), 20);
    for (int n = 1; n <= 64; ++n) {
        e.emplace_back("B" + hex2(n), 20);
        e.emplace_back("U" + hex2(n), 20);
        if (n <= 32) {
            for (const char* l : {"C", "E", "F", "L"})
                e.emplace_back(l + hex2(n), 20);
        }
    }
    for (int m = 1; m <= 16; ++m) {
        for (const char* l : {"D", "H", "I", "J"})
            e.emplace_back(l + hex2(m), 20);
        if (m <= 8)
            e.emplace_back("K" + hex2(m), 20);
    }
    for (int n = 1; n <= 32; ++n) {
        for (int b = 1; b <= 4; ++b)
            e.emplace_back("G" + hex2(n) + hex2(b), 20);
    }
    e.emplace_back("M", 20);
    e.emplace_back("Q01", 20);
    return e;
}

std::string address(const std::string& frame) {
    const char letter = frame[1];
    if (letter == 'M') {
        return "M";
    }
    std::string a = std::string(1, letter) + frame.substr(6, 2);
    return letter == 'G' ? a + frame.substr(12, 2) : a;
}

TEST(StoreOnline, SceneRecallWritesTheWholeStateWriteOrderWithItsPauses) {
    const int port = base_port();
    const fs::path log = temp_path(".log");
    const fs::path data = temp_path("-data");
    BackgroundProcess sim(KESTRA_SIM_PATH, {"--listen", "127.0.0.6:" + std::to_string(port),
                                            "--log", log.string(), "--exit-after", "90"});
    ASSERT_EQ(sim.first_line().rfind("listening", 0), 0u);
    const auto r = run_process(
        KESTRA_CTL_PATH,
        {"--device", "127.0.0.6:" + std::to_string(port), "--local-port", std::to_string(port + 1),
         "--data-dir", data.string(), "shell"},
        "set input 5 volume 17\nscene save Gäste'1\nconnect\nscene recall 1\ndisconnect\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    // Saved offline, the scene holds the PEQ switched off, which the read always shows on.
    std::string unverifiable = "EQ\tcannot be verified on CH 01";
    for (int n = 2; n <= 32; ++n) {
        unverifiable += (n < 10 ? ", CH 0" : ", CH ") + std::to_string(n);
    }
    EXPECT_EQ(r.out, "1:Gäste'1\n" + unverifiable + "\nverified\n");
    EXPECT_NE(r.err.find("sent 662 of 662 commands"), std::string::npos) << r.err;

    const std::vector<Arrival> arrivals = read_log(log);
    const std::vector<Frame> frames = join(arrivals);
    // Connection: reports off, read-all, reports on; then the transfer; the read-back with the
    // reports switched on after its reply; then reports off.
    ASSERT_EQ(frames.size(), 3u + 662u + 2u + 1u);
    EXPECT_EQ(frames[3 + 662].text.substr(0, 3), "%Z,") << "read back once the write has left";
    const auto expected = write_order(150);
    // The simulator stamps a datagram when it reads it, a few ms late at times, which shortens
    // the gap after it; from the start of the transfer on, no frame can come early.
    constexpr double kReadJitter = 8.0;
    double due = frames[3].first_ms;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Frame& f = frames[3 + i];
        EXPECT_EQ(address(f.text), expected[i].first) << "command " << i;
        EXPECT_GE(f.first_ms, due - 3.0) << "command " << i << " came early";
        const double pieces =
            10.0 * static_cast<double>(f.text.size() > 256 ? (f.text.size() - 1) / 256 : 0);
        due += pieces + expected[i].second + 10;
        const double gap = frames[3 + i + 1].first_ms - f.last_ms;
        EXPECT_GE(gap, expected[i].second + 10 - kReadJitter) << "after " << f.text.substr(0, 10);
    }
    EXPECT_EQ(frames[3 + 12 + 2 * 4 + 1].text.substr(0, 15), "%A,01,05,00,11,")
        << "the recalled fader of input 5";
    // Name pieces follow each other at the frame gap.
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        if (arrivals[i - 1].data.find('#') == std::string::npos) {
            EXPECT_GE(arrivals[i].ms - arrivals[i - 1].ms, 10.0 - kReadJitter);
        }
    }
    fs::remove(log);
    fs::remove_all(data);
}

// Frames from the processor's log, from the first one that starts with `from` on.
std::vector<std::string> texts_from(const std::vector<Frame>& frames, const std::string& from) {
    std::vector<std::string> out;
    bool on = false;
    for (const Frame& f : frames) {
        on = on || f.text.rfind(from, 0) == 0;
        if (on) {
            out.push_back(f.text.substr(0, f.text.rfind(',') + 1));
        }
    }
    return out;
}

TEST(StoreOnline, UndoAndRedoSendTheValuesBackWithTheUsualCommands) {
    const int port = base_port();
    const fs::path log = temp_path(".log");
    const fs::path data = temp_path("-data");
    BackgroundProcess sim(KESTRA_SIM_PATH,
                          {"--listen", "127.0.0.6:" + std::to_string(port), "--log", log.string(),
                           "--exit-after", "60", "--no-fader-reports"});
    ASSERT_EQ(sim.first_line().rfind("listening", 0), 0u);
    const auto r = run_process(
        KESTRA_CTL_PATH,
        {"--device", "127.0.0.6:" + std::to_string(port), "--local-port", std::to_string(port + 1),
         "--data-dir", data.string(), "shell"},
        "connect\n"
        "set input 3 volume 40\nwait 100\nundo\nwait 100\nredo\nwait 100\n"
        "set output 2 lim_ratio 25\nwait 100\nlim 2 reset\nwait 100\nundo\nwait 100\n"
        "set system automix_sync 1\nset input 1 automix_threshold 20\nwait 1000\n"
        "undo\nwait 1000\n"
        "scene save Board\nset input 5 volume 17\nset input 6 mute 1\nwait 100\n"
        "scene recall 1 --changes\nundo\nwait 200\nundo\nundo\nredo\njournal 12\ndisconnect\n");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string arrow = " \xE2\x86\x92 ";
    for (const std::string& text : std::vector<std::string>{
             "CH 03 VOL 10dB" + arrow + "-20dB", std::string("M 2 LIMIT reset"),
             std::string(
                 "sent 2 of 662 commands\nverified\nScene 1:Board recalled, 2 values changed"),
             std::string("\toperator\tCH 06 MUTE OPEN"),
             std::string("\tundo\tUndone: Scene 1:Board recalled, 2 values changed"),
             "\tredo\tRedone: CH 05 VOL 10dB" + arrow + "-43dB"}) {
        EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
    }

    const std::vector<Frame> frames = join(read_log(log));
    // Each undo and redo is the action's own command with the value before (or after).
    const std::vector<std::string> volumes = texts_from(frames, "%A,01,03");
    ASSERT_GE(volumes.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(volumes.begin(), volumes.begin() + 3),
              (std::vector<std::string>{"%A,01,03,00,28,", "%A,01,03,00,46,", "%A,01,03,00,28,"}));
    const std::vector<std::string> limiter = texts_from(frames, "%D,01,02");
    ASSERT_GE(limiter.size(), 3u);
    EXPECT_EQ(
        std::vector<std::string>(limiter.begin(), limiter.begin() + 3),
        (std::vector<std::string>{"%D,01,02,00,19,00,01,14,00,", "%D,01,02,01,0A,1E,64,64,00,",
                                  "%D,01,02,00,19,00,01,14,00,"}));
    // The synced threshold went to all 32 channels, and so did its undo, 30 ms apart.
    int thresholds_back = 0;
    double last = 0;
    for (const Frame& f : frames) {
        if (f.text.rfind("%L,01,", 0) == 0 && f.text.substr(8, 3) == ",00") {
            if (thresholds_back > 0) {
                EXPECT_GE(f.first_ms - last, 30.0 - 8.0);
            }
            last = f.first_ms;
            ++thresholds_back;
        }
    }
    EXPECT_EQ(thresholds_back, 32);
    // The recall of the changes: its two commands, the read-back, then the undo's two.
    const std::vector<std::string> recall = texts_from(frames, "%A,01,05,00,46");
    ASSERT_GE(recall.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(recall.begin(), recall.begin() + 5),
              (std::vector<std::string>{"%A,01,05,00,46,", "%A,01,06,00,46,", "%Z,01,", "%Q,01,01,",
                                        "%A,01,05,00,11,"}));
    fs::remove(log);
    fs::remove_all(data);
}

TEST(StoreOnline, ARecallOfTheChangesLeavesTheProcessorEqualToTheScene) {
    const int port = base_port();
    const fs::path data = temp_path("-data");
    const fs::path dump = temp_path("-sim.json");
    {
        BackgroundProcess sim(
            KESTRA_SIM_PATH, {"--listen", "127.0.0.6:" + std::to_string(port), "--exit-after", "30",
                              "--dump-state", dump.string()});
        ASSERT_EQ(sim.first_line().rfind("listening", 0), 0u);
        const auto r = run_process(
            KESTRA_CTL_PATH,
            {"--device", "127.0.0.6:" + std::to_string(port), "--local-port",
             std::to_string(port + 1), "--data-dir", data.string(), "shell"},
            "connect\nset input 2 volume 33\nset output 4 lim_ratio 40\nrename input 7 DESK\n"
            "set input 9 comp_ratio 30\nset input 12 matrix_row[3] 1\nscene save Board\n"
            "undo\nundo\nundo\nundo\nundo\nwait 500\n"
            "scene diff 1\nscene recall 1 --changes\ndisconnect\n");
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_NE(r.out.find("5 values on 5 channels differ\nsent 5 of 662 commands\nverified\n"),
                  std::string::npos)
            << r.out;
    }
    const auto scene =
        run_process(KESTRA_CTL_PATH, {"image", "read", (data / "SAVE1.dat").string()}, "");
    ASSERT_EQ(scene.exit_code, 0) << scene.err;
    std::ifstream in(dump);
    const auto processor = nlohmann::json::parse(in);
    const auto wanted = nlohmann::json::parse(scene.out);
    for (std::size_t i = 0; i < 64; ++i) {
        for (const char* key : {"volume", "mute", "matrix_row", "gain_step", "short_name"}) {
            EXPECT_EQ(processor["inputs"][i][key], wanted["inputs"][i][key]) << i << key;
        }
        if (i < 32) {
            EXPECT_EQ(processor["inputs"][i]["comp_ratio"], wanted["inputs"][i]["comp_ratio"]);
        }
    }
    for (std::size_t m = 0; m < 16; ++m) {
        for (const char* key : {"volume", "mute", "lim_ratio", "lim_threshold", "line_mode"}) {
            EXPECT_EQ(processor["outputs"][m][key], wanted["outputs"][m][key]) << m << key;
        }
    }
    EXPECT_EQ(processor["inputs"][1]["volume"], 33);
    fs::remove(dump);
    fs::remove_all(data);
}

// The processor goes away early in a whole recall. Every command still leaves the socket, so
// only the read-back can tell: the line must fail, never say "verified".
TEST(StoreOnline, AWholeRecallToAProcessorThatWentAwayFailsTheLine) {
    const int port = base_port();
    const fs::path data = temp_path("-data");
    const fs::path log = temp_path(".log");
    std::string err;
    std::string out;
    int exit_code = 0;
    {
        BackgroundProcess sim(KESTRA_SIM_PATH, {"--listen", "127.0.0.6:" + std::to_string(port),
                                                "--log", log.string(), "--exit-after", "4"});
        ASSERT_EQ(sim.first_line().rfind("listening", 0), 0u);
        const auto r =
            run_process(KESTRA_CTL_PATH,
                        {"--device", "127.0.0.6:" + std::to_string(port), "--local-port",
                         std::to_string(port + 1), "--data-dir", data.string(), "shell"},
                        "set input 5 volume 17\nscene save Board\nconnect\nscene recall 1\n");
        err = r.err;
        out = r.out;
        exit_code = r.exit_code;
    }
    EXPECT_EQ(exit_code, 1) << err;
    EXPECT_NE(err.find("sent 662 of 662 commands"), std::string::npos) << err;
    EXPECT_NE(err.find("error: the processor did not answer the read-back"), std::string::npos)
        << err;
    EXPECT_EQ(out.find("verified"), std::string::npos) << out;
    const std::vector<Frame> received = join(read_log(log));
    EXPECT_LT(received.size(), 3u + 662u) << "the processor was gone before the end";
    fs::remove(log);
    fs::remove_all(data);
}

// A link that loses commands: the read-back writes the lost ones again and reads again, and
// what it reports at the end is what the processor really holds.
TEST(StoreOnline, ARecallOfTheChangesOverALossyLinkReportsWhatTheProcessorHolds) {
    const int port = base_port();
    const fs::path data = temp_path("-data");
    const fs::path dump = temp_path("-sim.json");
    std::string changes;
    for (int n = 1; n <= 60; ++n) {
        changes += "set input " + std::to_string(n) + " volume " + std::to_string(n % 50) + "\n";
    }
    {
        BackgroundProcess sim(KESTRA_SIM_PATH, {"--listen", "127.0.0.6:" + std::to_string(port),
                                                "--exit-after", "30"});
        ASSERT_EQ(sim.first_line().rfind("listening", 0), 0u);
        const auto r = run_process(KESTRA_CTL_PATH,
                                   {"--device", "127.0.0.6:" + std::to_string(port), "--local-port",
                                    std::to_string(port + 1), "--data-dir", data.string(), "shell"},
                                   "connect\n" + changes + "scene save Lossy\ndisconnect\n");
        ASSERT_EQ(r.exit_code, 0) << r.err;
    }
    ProcessResult r;
    {
        BackgroundProcess sim(KESTRA_SIM_PATH, {"--listen", "127.0.0.6:" + std::to_string(port + 2),
                                                "--exit-after", "60", "--dump-state", dump.string(),
                                                "--drop-commands", "30", "--seed", "3"});
        ASSERT_EQ(sim.first_line().rfind("listening", 0), 0u);
        r = run_process(KESTRA_CTL_PATH,
                        {"--device", "127.0.0.6:" + std::to_string(port + 2), "--local-port",
                         std::to_string(port + 3), "--data-dir", data.string(), "shell"},
                        "connect\nscene recall 1 --changes\ndisconnect\n");
    }
    std::ifstream in(dump);
    const auto processor = nlohmann::json::parse(in);
    int wrong = 0;
    for (int n = 1; n <= 60; ++n) {
        wrong += processor["inputs"][n - 1]["volume"] != n % 50 ? 1 : 0;
    }
    EXPECT_NE(r.out.find("sent 60 of 662 commands\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" fields differed and were written again\n"), std::string::npos)
        << "the first read found lost commands\n"
        << r.out;
    ASSERT_GT(wrong, 0) << "this seed loses some commands in every round\n" << r.out;
    EXPECT_EQ(r.exit_code, 1) << r.err;
    EXPECT_EQ(r.out.find("verified"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("error: " + std::to_string(wrong) +
                         " fields still differ from the scene after 3 read-backs"),
              std::string::npos)
        << r.err;
    fs::remove(dump);
    fs::remove_all(data);
}

TEST(StoreOnline, ShellListsPresetsAndScenesAndRecoversOffline) {
    const fs::path data = temp_path("-data");
    // No desktop trash for the child: a deleted scene stays beside the data folder.
    ::setenv("XDG_DATA_HOME", (data / "xdg").c_str(), 1);
    const auto r = run_process(KESTRA_CTL_PATH, {"--data-dir", data.string(), "shell"},
                               "preset PEQ save 1\npreset PEQ save 2 O'Neil\n"
                               "preset Compressor save 33\npreset GEQ list\npreset NOISE list\n"
                               "preset PEQ rename 1 Zoë\npreset PEQ list\n"
                               "set input 1 volume 3\npreset PEQ delete 2\npreset PEQ list\n"
                               "scene save\nscene save\nscene delete 1\nscene list\n"
                               "scene recall 7\nrecovery\ndump\n");
    EXPECT_EQ(r.exit_code, 1);  // the refused lines
    EXPECT_NE(r.err.find("error: channel: 33 is outside 1..32"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("error: unknown preset table 'NOISE'"), std::string::npos);
    EXPECT_NE(r.err.find("error: scene: no scene 7"), std::string::npos);
    EXPECT_NE(r.err.find("notice: Reset successfully."), std::string::npos);
    const std::string listed =
        "1:SAVE1\n2:O'Neil\n1:Zoë\n2:O'Neil\n1:Zoë\n1:SAVE1\n2:SAVE2\n2:SAVE2\n";
    ASSERT_EQ(r.out.substr(0, listed.size()), listed);
    const auto state = nlohmann::json::parse(r.out.substr(listed.size()));
    EXPECT_EQ(state["inputs"][0]["volume"], 60) << "factory value after the recovery";
    EXPECT_TRUE(fs::exists(data / "Tabla540.db"));
    EXPECT_TRUE(fs::exists(data / "SAVE2.dat"));
    EXPECT_FALSE(fs::exists(data / "SAVE1.dat"));
    EXPECT_TRUE(fs::is_directory(data / "deleted"));
    fs::remove_all(data);
}

}  // namespace
}  // namespace kestra
