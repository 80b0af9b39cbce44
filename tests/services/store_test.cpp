#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <sqlite3.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "model/state_image.h"
#include "store/data_folder.h"
#include "store/state_file.h"
#include "store/store_session.h"
#include "support/blank_glyphs.h"
#include "support/recording_frames.h"
#include "support/recording_notices.h"
#include "support/scripted_answers.h"

namespace kestra {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::BlankGlyphs;
using testing::RecordingNotices;
using Answers = testing::ScriptedAnswers;

class RecordingTarget : public PresetRecallTarget {
public:
    void block_recalled(PresetTable table, int channel) override {
        calls.emplace_back(table, channel);
    }
    std::vector<std::pair<PresetTable, int>> calls;
};

std::vector<uint8_t> file_bytes(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
}

void write_bytes(const fs::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

class StoreTest : public ::testing::Test {
protected:
    StoreTest()
        : folder(fs::temp_directory_path() /
                 ("kestra-store-" + std::to_string(getpid()) + "-" + std::to_string(++serial))),
          surface(state, stream, sink, notices, answers, clock,
                  CommandContext{nullptr, &glyphs, {}, 1}) {
        fs::create_directories(folder / "xdg" / "Trash");
        ::setenv("XDG_DATA_HOME", (folder / "xdg").c_str(), 1);
        state.reset_defaults();
        clock.set_wall(WallTime{2026, 12, 3, 9, 10, 11, 12, 0});
        stores = std::make_unique<StoreSession>(folder.string(), surface, notices);
    }
    ~StoreTest() override {
        stores.reset();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    std::vector<std::string> scene_texts() {
        std::vector<std::string> out;
        for (const SceneEntry& e : stores->scenes().list()) {
            out.push_back(e.text());
        }
        return out;
    }
    std::vector<std::string> preset_texts(PresetTable t) {
        const auto items = stores->presets().list(t);
        std::vector<std::string> out;
        for (const PresetItem& i : items.value()) {
            out.push_back(i.text());
        }
        return out;
    }

    // Runs `op` on a store of the same folder in a child process that is killed right after
    // the next rename of a scene file; returns the child's wait status.
    template <class Op>
    int killed_after_rename(Op op) {
        stores.reset();  // no database connection is carried into the child
        const pid_t pid = ::fork();
        if (pid == 0) {
            StoreSession child(folder.string(), surface, notices);
            child.scene_store().set_after_rename([] { ::raise(SIGKILL); });
            op(child);
            ::_exit(3);  // the rename never came
        }
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid) {
            status = -1;
        }
        stores = std::make_unique<StoreSession>(folder.string(), surface, notices);
        return status;
    }

    static inline int serial = 0;
    fs::path folder;
    BlankGlyphs glyphs;
    DeviceState state;
    testing::RecordingFrames sink;
    RecordingNotices notices;
    Answers answers;
    ManualClock clock;
    Publisher<StateChange> stream;
    OperatorActions surface;
    std::unique_ptr<StoreSession> stores;
};

TEST_F(StoreTest, DatabaseIsCreatedWithEveryTableAndItsColumnsInOrder) {
    PresetDatabase& db = stores->database();
    ASSERT_TRUE(db.open());
    EXPECT_TRUE(fs::exists(folder / "Tabla540.db"));
    const std::pair<const char*, const char*> tables[] = {
        {"PEQ", "PEQDATA"},     {"GEQ", "GEQDATA"},        {"Compressor", "CompressorDATA"},
        {"NOISE", "NOISEDATA"}, {"LIMIT", "LIMITDATA"},    {"DELAY", "DELAYDTA"},
        {"REV", "REVDATA"},     {"DeviceDATA", "FILENAME"}};
    for (const auto& [table, data] : tables) {
        const auto cols = db.query("select name from pragma_table_info(?) order by cid", {table});
        ASSERT_TRUE(cols) << table;
        ASSERT_EQ(cols->size(), 3u) << table;
        EXPECT_EQ((*cols)[0][0], "ID");
        EXPECT_EQ((*cols)[1][0], "NAME");
        EXPECT_EQ((*cols)[2][0], data);
    }
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(StoreTest, PresetIdsFollowTheHighestAndNamesKeepApostrophesAndNonAscii) {
    PresetActions& presets = stores->presets();
    EXPECT_EQ(presets.save(PresetTable::Peq, 0), (PresetItem{1, "SAVE1"}));
    EXPECT_EQ(presets.save(PresetTable::Peq, 0), (PresetItem{2, "SAVE2"}));
    EXPECT_EQ(presets.save(PresetTable::Peq, 3, "Al's EQ"), (PresetItem{3, "Al's EQ"}));
    EXPECT_EQ(presets.save(PresetTable::Geq, 15), (PresetItem{1, "SAVE1"})) << "IDs per table";
    ASSERT_TRUE(presets.rename(PresetTable::Peq, 1, "会议室'1"));
    ASSERT_TRUE(presets.rename(PresetTable::Peq, 2, "Bühne"));
    EXPECT_EQ(preset_texts(PresetTable::Peq),
              (std::vector<std::string>{"1:会议室'1", "2:Bühne", "3:Al's EQ"}));

    answers.answer = false;
    EXPECT_FALSE(presets.remove(PresetTable::Peq, 3));
    EXPECT_EQ(answers.asked.back(), "Do you want to delete the setting？");
    EXPECT_EQ(preset_texts(PresetTable::Peq).size(), 3u) << "a no deletes nothing";
    answers.answer = true;
    ASSERT_TRUE(presets.remove(PresetTable::Peq, 3));
    EXPECT_EQ(presets.save(PresetTable::Peq, 0)->id, 3) << "the highest ID is reused";
    ASSERT_TRUE(presets.remove(PresetTable::Peq, 1));
    EXPECT_EQ(presets.save(PresetTable::Peq, 0)->id, 4) << "a lower one is not";

    EXPECT_THROW(presets.rename(PresetTable::Peq, 1, "x"), std::invalid_argument);
    EXPECT_THROW(presets.remove(PresetTable::Peq, 99), std::invalid_argument);
    EXPECT_THROW(presets.rename(PresetTable::Peq, 2, "ninechars"), std::invalid_argument);
    EXPECT_THROW(presets.save(PresetTable::Limit, 16), std::invalid_argument);
    EXPECT_EQ(preset_texts(PresetTable::Peq).size(), 3u);
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(StoreTest, APresetRecallIsRememberedForItsChannelUntilThePresetIsDeleted) {
    PresetActions& presets = stores->presets();
    ASSERT_TRUE(presets.save(PresetTable::Peq, 0));
    ASSERT_TRUE(presets.save(PresetTable::Peq, 0));
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 4), std::nullopt);
    ASSERT_TRUE(presets.recall(PresetTable::Peq, 2, 4));
    ASSERT_TRUE(presets.recall(PresetTable::Peq, 1, 5));
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 4), 2);
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 5), 1);
    EXPECT_EQ(presets.last_recalled(PresetTable::Geq, 4), std::nullopt) << "per table";
    ASSERT_TRUE(presets.recall(PresetTable::Peq, 1, 4));
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 4), 1) << "the later recall wins";

    EXPECT_THROW(presets.recall(PresetTable::Peq, 9, 4), std::invalid_argument);
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 4), 1) << "a refused recall is not one";
    answers.answer = false;
    EXPECT_FALSE(presets.remove(PresetTable::Peq, 1));
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 4), 1) << "nothing was deleted";
    answers.answer = true;
    ASSERT_TRUE(presets.remove(PresetTable::Peq, 1));
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 4), std::nullopt);
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 5), std::nullopt);
    // The highest ID, freed, goes to the next save: another preset than channel 6 took.
    EXPECT_EQ(presets.save(PresetTable::Peq, 0)->id, 3);
    ASSERT_TRUE(presets.recall(PresetTable::Peq, 3, 6));
    ASSERT_TRUE(presets.remove(PresetTable::Peq, 3));
    EXPECT_EQ(presets.save(PresetTable::Peq, 0)->id, 3);
    EXPECT_EQ(presets.last_recalled(PresetTable::Peq, 6), std::nullopt);
}

TEST_F(StoreTest, PresetRecallAppliesTheStoredBlockThenHandsItOn) {
    RecordingTarget target;
    PresetStore store(stores->database());
    PresetActions presets(surface.context(), store, target);
    state.inputs[2].comp_ratio = 40;
    state.inputs[2].comp_threshold = 12;
    const auto saved = presets.save(PresetTable::Compressor, 2);
    ASSERT_TRUE(saved);
    std::vector<StateChange> changes;
    auto sub =
        surface.context().changes().subscribe([&](const StateChange& c) { changes.push_back(c); });

    ASSERT_TRUE(presets.recall(PresetTable::Compressor, saved->id, 7));
    EXPECT_EQ(state.inputs[7].comp_ratio, 40);
    EXPECT_EQ(state.inputs[7].comp_threshold, 12);
    EXPECT_EQ(target.calls,
              (std::vector<std::pair<PresetTable, int>>{{PresetTable::Compressor, 7}}));
    EXPECT_EQ(changes,
              (std::vector<StateChange>{{StateChange::Scope::Input, 7,
                                         StateChange::Block::Compressor, ChangeOrigin::Recall}}));
    EXPECT_THROW(presets.recall(PresetTable::Compressor, 42, 7), std::invalid_argument);
}

TEST_F(StoreTest, DamagedStoredTextIsRefusedWithANoticeAndNothingChanges) {
    RecordingTarget target;
    PresetStore store(stores->database());
    PresetActions presets(surface.context(), store, target);
    PresetDatabase& db = stores->database();
    ASSERT_TRUE(db.execute("insert into PEQ values(?,?,?)", {1, "short", "0000640096"}));
    ASSERT_TRUE(db.execute("insert into \"LIMIT\" values(?,?,?)", {1, "hex", "01ZZ0A646500"}));
    const DeviceState before = state;
    EXPECT_FALSE(presets.recall(PresetTable::Peq, 1, 0));
    EXPECT_FALSE(presets.recall(PresetTable::Limit, 1, 0));
    EXPECT_EQ(state, before);
    EXPECT_TRUE(target.calls.empty());
    EXPECT_EQ(notices.texts, (std::vector<std::string>(2, PresetActions::kDamaged)));
}

TEST_F(StoreTest, AStoredValueOutsideItsRangeIsNeitherRecalledNorSent) {
    PresetActions& presets = stores->presets();
    PresetDatabase& db = stores->database();
    ASSERT_TRUE(db.execute("insert into Compressor values(?,?,?)", {1, "wild", "011EFF0A1400"}));
    state.system.connected = 1;
    const DeviceState before = state;
    EXPECT_FALSE(presets.recall(PresetTable::Compressor, 1, 3));
    EXPECT_EQ(state, before);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(notices.texts, (std::vector<std::string>{PresetActions::kOutOfRange}));
}

TEST_F(StoreTest, DefaultRecallSendsTheBlockWhileConnected) {
    PresetActions& presets = stores->presets();
    state.outputs[4].lim_gain = 7;
    ASSERT_TRUE(presets.save(PresetTable::Limit, 4));
    ASSERT_TRUE(presets.save(PresetTable::Peq, 0));
    ASSERT_TRUE(presets.recall(PresetTable::Limit, 1, 5));
    EXPECT_TRUE(sink.frames.empty()) << "nothing is sent offline";

    state.system.connected = 1;
    ASSERT_TRUE(presets.recall(PresetTable::Limit, 1, 5));
    EXPECT_EQ(sink.frames, (std::vector<std::string>{encode_limiter(state, 6)[0].payload}));
    sink.clear();
    ASSERT_TRUE(presets.recall(PresetTable::Peq, 1, 1));
    ASSERT_EQ(sink.frames.size(), 6u);
    EXPECT_EQ(sink.frames[0], encode_peq_band(state, 2, 1)[0].payload);
    EXPECT_EQ(sink.frames[3], encode_peq_band(state, 2, 4)[0].payload);
    EXPECT_EQ(sink.frames[4], encode_low_pass(state, 2)[0].payload);
    EXPECT_EQ(sink.frames[5], encode_high_pass(state, 2)[0].payload);
}

TEST_F(StoreTest, ADatabaseErrorReachesTheOperatorAndAddsNothing) {
    stores.reset();
    write_bytes(folder / "Tabla540.db", std::vector<uint8_t>(4096, 'x'));
    stores = std::make_unique<StoreSession>(folder.string(), surface, notices);
    EXPECT_FALSE(stores->presets().list(PresetTable::Peq));
    EXPECT_FALSE(stores->presets().save(PresetTable::Peq, 0));
    EXPECT_FALSE(stores->scenes().save());
    ASSERT_FALSE(notices.texts.empty());
    EXPECT_EQ(notices.texts.front(), "file is not a database");
    EXPECT_EQ(notices.captions.front(), "Warming");
    EXPECT_FALSE(fs::exists(folder / "SAVE1.dat"));
}

TEST_F(StoreTest, SceneFileIsTheStateImageAndGroupRecordsByteForByte) {
    state.inputs[9].volume = 33;
    state.groups.control[2].name.assign("Podium");
    state.groups.mute[3].input_member[7] = 1;
    const auto saved = stores->scenes().save();
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, (SceneEntry{1, "SAVE1", (folder / "SAVE1.dat").string()}));
    const std::vector<uint8_t> bytes = file_bytes(folder / "SAVE1.dat");
    ASSERT_EQ(bytes.size(), 71236u);
    EXPECT_EQ(bytes, StateImage::encode_scene(state));

    // And back: a file made from another state is what a recall loads.
    DeviceState other = state;
    other.inputs[9].volume = 5;
    other.outputs[3].short_name.assign("Bühne");
    other.groups.control[0].link[kLinkEq] = 1;
    other.system.connected = 1;
    other.system.connecting = 1;
    const WallTime before_recall = other.system.last_report_at;
    write_bytes(folder / "SAVE1.dat", StateImage::encode_scene(other));
    ASSERT_TRUE(stores->scenes().recall(1));
    EXPECT_EQ(answers.asked.back(), "Do you want to recall the setting？");
    other.system.connected = 0;  // kept as it was
    other.system.connecting = 0;
    other.system.last_report_at = clock.wall_now();
    EXPECT_EQ(state, other);
    // Apart from that bookkeeping the loaded state writes the file back unchanged.
    DeviceState loaded = state;
    loaded.system.connected = 1;
    loaded.system.connecting = 1;
    loaded.system.last_report_at = before_recall;
    EXPECT_EQ(StateImage::encode_scene(loaded), file_bytes(folder / "SAVE1.dat"));
}

TEST_F(StoreTest, SceneIdsNamesAndTheLimitOfThirtyTwo) {
    SceneActions& scenes = stores->scenes();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(scenes.save());
    ASSERT_TRUE(scenes.remove(2));
    EXPECT_EQ(answers.asked.back(), "Do you want to delete the setting？");
    EXPECT_EQ(scene_texts(), (std::vector<std::string>{"1:SAVE1", "3:SAVE3"}));
    EXPECT_EQ(scenes.save()->id, 4);
    ASSERT_TRUE(scenes.rename(4, "D'Arcy"));
    ASSERT_TRUE(scenes.rename(1, "Sála 1"));
    EXPECT_EQ(scene_texts(), (std::vector<std::string>{"1:Sála 1", "3:SAVE3", "4:D'Arcy"}));
    EXPECT_EQ(scenes.save("主会场")->text(), "5:主会场");

    answers.answer = false;
    EXPECT_FALSE(scenes.remove(1));
    EXPECT_EQ(scene_texts().size(), 4u);
    answers.answer = true;

    ASSERT_TRUE(stores->database().execute("insert into DeviceDATA values(?,?,?)",
                                           {32, "SAVE32", (folder / "SAVE32.dat").string()}));
    EXPECT_FALSE(scenes.save()) << "nothing above 32, even with free IDs below";
    EXPECT_FALSE(fs::exists(folder / "SAVE33.dat"));
    for (int id = 40; id < 75; ++id) {
        ASSERT_TRUE(
            stores->database().execute("insert into DeviceDATA values(?,?,?)", {id, "x", "none"}));
    }
    EXPECT_EQ(scenes.list().size(), 32u) << "only the first 32 rows are shown";
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(StoreTest, DeletedSceneGoesToTheTrashOrBesideTheFolder) {
    SceneActions& scenes = stores->scenes();
    ASSERT_TRUE(scenes.save());
    ASSERT_TRUE(scenes.save());
    const std::vector<uint8_t> original = file_bytes(folder / "SAVE1.dat");
    ASSERT_TRUE(scenes.remove(1));
    EXPECT_FALSE(fs::exists(folder / "SAVE1.dat"));
    EXPECT_EQ(file_bytes(folder / "xdg" / "Trash" / "files" / "SAVE1.dat"), original);

    fs::remove_all(folder / "xdg" / "Trash");  // a system without a trash
    ASSERT_TRUE(scenes.remove(2));
    EXPECT_FALSE(fs::exists(folder / "SAVE2.dat"));
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(folder / "deleted"))
        kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].filename().string().rfind("SAVE2-", 0), 0u);
    EXPECT_TRUE(scene_texts().empty());
}

TEST_F(StoreTest, ACrashBeforeTheRenameLeavesTheOldFileAndAddsNoRow) {
    SceneActions& scenes = stores->scenes();
    ASSERT_TRUE(scenes.save());
    // A file of scene 2 left from before (its row removed elsewhere) is what a save replaces.
    const std::vector<uint8_t> old(StateImage::kSceneSize, 0xA5);
    write_bytes(folder / "SAVE2.dat", old);
    state.inputs[0].volume = 1;
    bool hook_ran = false;
    stores->scene_store().set_before_rename([&] {
        hook_ran = true;
        EXPECT_EQ(file_bytes(folder / "SAVE2.dat.tmp"), StateImage::encode_scene(state))
            << "the new content is complete before the rename";
        return false;
    });
    EXPECT_FALSE(scenes.save());
    EXPECT_TRUE(hook_ran);
    EXPECT_EQ(file_bytes(folder / "SAVE2.dat"), old);
    EXPECT_EQ(scene_texts(), (std::vector<std::string>{"1:SAVE1"}));
    ASSERT_EQ(notices.texts.size(), 1u);

    stores->scene_store().set_before_rename({});
    ASSERT_TRUE(scenes.save());
    EXPECT_EQ(file_bytes(folder / "SAVE2.dat"), StateImage::encode_scene(state));
    EXPECT_FALSE(fs::exists(folder / "SAVE2.dat.tmp"));
}

TEST_F(StoreTest, AKillRightAfterARenameLeavesEveryRowWithItsWholeFile) {
    // killed_after_rename() replaces the session, so its scenes are always reached afresh
    ASSERT_TRUE(stores->scenes().save());
    ASSERT_TRUE(stores->scenes().save());
    const auto every_row_has_its_file = [&] {
        const auto rows = stores->database().query("select * from DeviceDATA order by ID");
        ASSERT_TRUE(rows);
        for (const auto& row : *rows) {
            // A row holds the file's name in the data folder (a whole path in earlier rows).
            const std::vector<uint8_t> bytes = file_bytes(folder / row.at(2));
            EXPECT_EQ(bytes.size(), StateImage::kSceneSize) << row.at(2);
            DeviceState loaded;
            EXPECT_TRUE(StateImage::decode_scene(bytes, loaded)) << row.at(2);
        }
    };

    state.inputs[0].volume = 5;
    int status = killed_after_rename([](StoreSession& s) { s.scenes().save(); });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_EQ(file_bytes(folder / "SAVE3.dat"), StateImage::encode_scene(state));
    EXPECT_EQ(scene_texts(), (std::vector<std::string>{"1:SAVE1", "2:SAVE2"}))
        << "a file whose row never committed is not listed";
    every_row_has_its_file();

    status = killed_after_rename([](StoreSession& s) { s.scenes().remove(1); });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_FALSE(fs::exists(folder / "SAVE1.dat"));
    EXPECT_EQ(scene_texts(), (std::vector<std::string>{"2:SAVE2"}));
    every_row_has_its_file();

    // The next save takes the unlisted file's number and replaces it.
    state.inputs[0].volume = 9;
    EXPECT_EQ(stores->scenes().save()->id, 3);
    EXPECT_EQ(file_bytes(folder / "SAVE3.dat"), StateImage::encode_scene(state));
    every_row_has_its_file();
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(StoreTest, RecallChecksTheFileBeforeTouchingAnything) {
    SceneActions& scenes = stores->scenes();
    ASSERT_TRUE(scenes.save());
    ASSERT_TRUE(scenes.save());
    state.groups.control[0].input_member[1] = 1;
    state.groups.control[0].input_member[2] = 1;
    state.groups.control[0].link[kLinkVol] = 1;
    state.groups.control_active[0] = 1;
    surface.context().active_groups().activate(0, state.groups.control[0]);
    const DeviceState before = state;

    fs::remove(folder / "SAVE1.dat");
    const std::vector<uint8_t> full = file_bytes(folder / "SAVE2.dat");
    write_bytes(folder / "SAVE2.dat", std::vector<uint8_t>(full.begin(), full.end() - 1));
    EXPECT_FALSE(scenes.recall(1));
    EXPECT_FALSE(scenes.recall(2));
    EXPECT_THROW(scenes.recall(3), std::invalid_argument);
    EXPECT_EQ(state, before);
    EXPECT_FALSE(surface.context().active_groups().input_peers(1, kLinkVol).empty());
    ASSERT_EQ(notices.texts.size(), 2u);
    EXPECT_NE(notices.texts[0].find("SAVE1.dat"), std::string::npos);
    EXPECT_NE(notices.texts[1].find("71235"), std::string::npos);

    // A good file switches group activations off.
    write_bytes(folder / "SAVE2.dat", full);
    ASSERT_TRUE(scenes.recall(2));
    EXPECT_EQ(state.groups.control_active, (std::array<int32_t, 4>{}));
    EXPECT_TRUE(surface.context().active_groups().input_peers(1, kLinkVol).empty());
    EXPECT_TRUE(sink.frames.empty()) << "offline: state only";
}

TEST_F(StoreTest, ConnectedRecallWritesTheWholeStateAndRefusesASecondMeanwhile) {
    ASSERT_TRUE(stores->scenes().save());
    state.system.connected = 1;
    ASSERT_TRUE(stores->scenes().recall(1));
    EXPECT_EQ(sink.frames.size(), 662u + 160u);
    EXPECT_EQ(sink.frames.front(), "%Q,01,00,25E0#");
    EXPECT_EQ(state.system.connected, 1);
    EXPECT_TRUE(surface.full_state.running());
    EXPECT_FALSE(stores->scenes().recall(1));
    EXPECT_EQ(notices.texts.back(), SceneActions::kTransferRunning);
    EXPECT_EQ(sink.frames.size(), 662u + 160u);
}

TEST(DataFolderTest, OptionThenEnvironmentThenTheStandardPlace) {
    ::setenv("KESTRA_DATA_DIR", "/tmp/from-env", 1);
    EXPECT_EQ(DataFolder::resolve(std::string("/tmp/from-option")), "/tmp/from-option");
    EXPECT_EQ(DataFolder::resolve(std::nullopt), "/tmp/from-env");
    ::unsetenv("KESTRA_DATA_DIR");
    ::setenv("XDG_DATA_HOME", "/tmp/xdg-home", 1);
    EXPECT_EQ(DataFolder::resolve(std::nullopt), "/tmp/xdg-home/kestra-v");
}

TEST_F(StoreTest, AStateFileLoadsFromJsonAnImageOrAWholeSceneWithItsGroups) {
    const NameCodec codec;
    DeviceState prepared;
    prepared.inputs[4].volume = 17;
    prepared.groups.mute[1].input_member[6] = 1;
    prepared.groups.control[0].link[2] = 1;

    write_bytes(folder / "room.dat", StateImage::encode_scene(prepared));
    DeviceState loaded;
    std::string error;
    ASSERT_TRUE(StateFile::load((folder / "room.dat").string(), codec, loaded, error)) << error;
    EXPECT_EQ(loaded.inputs[4].volume, 17);
    EXPECT_EQ(loaded.groups.mute[1].input_member[6], 1);
    EXPECT_EQ(loaded.groups.control[0].link[2], 1);

    // An image whose first byte reads as '{' is still an image.
    std::vector<uint8_t> image = StateImage::encode(prepared);
    image[0] = '{';
    write_bytes(folder / "state.img", image);
    DeviceState from_image;
    ASSERT_TRUE(StateFile::load((folder / "state.img").string(), codec, from_image, error));
    EXPECT_EQ(from_image.inputs[4].volume, 17);

    std::ofstream(folder / "s.json") << R"( {"inputs":[{},{"volume":9}]})";
    ASSERT_TRUE(StateFile::load((folder / "s.json").string(), codec, from_image, error));
    EXPECT_EQ(from_image.inputs[1].volume, 9);
    EXPECT_EQ(from_image.inputs[4].volume, 17);  // the fields it leaves out stay

    // Refused files name themselves and change nothing.
    std::ofstream(folder / "bad.json") << R"({"inputs":[{"volume":1,"colour":2}]})";
    std::ofstream(folder / "short.img") << "abc";
    for (const char* name : {"bad.json", "short.img", "missing.img"}) {
        DeviceState untouched = from_image;
        EXPECT_FALSE(StateFile::load((folder / name).string(), codec, untouched, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
        EXPECT_EQ(untouched.inputs[1].volume, 9);
    }
}

TEST_F(StoreTest, ADamagedSceneIsRefusedNamingTheFileAndTheFieldAndNothingIsSent) {
    SceneActions& scenes = stores->scenes();
    ASSERT_TRUE(scenes.save());
    ASSERT_TRUE(scenes.save());
    state.system.connected = 1;
    const DeviceState before = state;

    std::vector<uint8_t> flipped = file_bytes(folder / "SAVE1.dat");
    flipped[4 + 304] ^= 0x80;  // input 1 volume 70 -> 198
    write_bytes(folder / "SAVE1.dat", flipped);
    std::vector<uint8_t> noise(StateImage::kSceneSize);
    for (std::size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    }
    write_bytes(folder / "SAVE2.dat", noise);

    EXPECT_FALSE(scenes.recall(1));
    EXPECT_FALSE(scenes.recall_asking(2));
    EXPECT_FALSE(scenes.recall_changes(2));
    EXPECT_EQ(state, before);
    EXPECT_TRUE(sink.frames.empty());
    ASSERT_GE(notices.texts.size(), 2u);
    EXPECT_EQ(notices.texts[0],
              "The scene file SAVE1.dat is damaged: input 1 volume 198 is outside 0-70. "
              "Nothing was recalled.");
    EXPECT_EQ(notices.texts[1].rfind("The scene file SAVE2.dat is damaged: ", 0), 0u)
        << notices.texts[1];
}

TEST_F(StoreTest, RowsKeepTheFileNameAndOldAbsoluteRowsResolveInThisFolder) {
    SceneActions& scenes = stores->scenes();
    ASSERT_TRUE(scenes.save());
    const auto rows = stores->database().query("select FILENAME from DeviceDATA");
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->at(0).at(0), "SAVE1.dat");

    // A row of an earlier version, written in another folder, and one of the Windows program.
    state.inputs[3].volume = 11;
    write_bytes(folder / "SAVE2.dat", StateImage::encode_scene(state));
    write_bytes(folder / "SAVE3.dat", StateImage::encode_scene(state));
    fs::create_directories(folder / "elsewhere");
    write_bytes(folder / "elsewhere" / "SAVE2.dat", std::vector<uint8_t>(10, 1));
    ASSERT_TRUE(stores->database().execute("insert into DeviceDATA values(?,?,?)",
                                           {2, "old", (folder / "elsewhere/SAVE2.dat").string()}));
    ASSERT_TRUE(stores->database().execute("insert into DeviceDATA values(?,?,?)",
                                           {3, "win", "C:\\Velombrix\\SAVE3.dat"}));
    state.inputs[3].volume = 70;
    ASSERT_EQ(scenes.list().size(), 3u);
    EXPECT_EQ(scenes.list()[1].file, (folder / "SAVE2.dat").string());
    ASSERT_TRUE(scenes.recall(3));
    EXPECT_EQ(state.inputs[3].volume, 11);

    ASSERT_TRUE(scenes.remove(2));
    EXPECT_FALSE(fs::exists(folder / "SAVE2.dat"));
    EXPECT_TRUE(fs::exists(folder / "elsewhere" / "SAVE2.dat")) << "the other folder's file stays";
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(StoreTest, ACopiedDataFolderWorksOnItsOwnFiles) {
    ASSERT_TRUE(stores->scenes().save());
    ASSERT_TRUE(stores->scenes().save());
    stores.reset();
    const fs::path copy = folder / "copy";
    fs::create_directories(copy);
    for (const char* name : {"Tabla540.db", "SAVE1.dat", "SAVE2.dat"}) {
        fs::copy_file(folder / name, copy / name);
    }
    stores = std::make_unique<StoreSession>(copy.string(), surface, notices);
    ASSERT_TRUE(stores->scenes().remove(2));
    EXPECT_TRUE(fs::exists(folder / "SAVE2.dat")) << "the original folder is left alone";
    EXPECT_FALSE(fs::exists(copy / "SAVE2.dat"));
    ASSERT_TRUE(stores->scenes().recall(1));
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(StoreTest, OversizeAndNonRegularSceneFilesAreRefusedBeforeReading) {
    SceneActions& scenes = stores->scenes();
    ASSERT_TRUE(scenes.save());
    ASSERT_TRUE(scenes.save());
    ASSERT_TRUE(scenes.save());
    const DeviceState before = state;
    fs::resize_file(folder / "SAVE1.dat", 2u * 1024u * 1024u * 1024u);  // sparse, 2 GB
    fs::remove(folder / "SAVE2.dat");
    fs::create_directory(folder / "SAVE2.dat");
    fs::remove(folder / "SAVE3.dat");
    fs::create_symlink("/dev/zero", folder / "SAVE3.dat");
    EXPECT_FALSE(scenes.recall(1));
    EXPECT_FALSE(scenes.recall(2));
    EXPECT_FALSE(scenes.recall(3));
    EXPECT_EQ(state, before);
    ASSERT_EQ(notices.texts.size(), 3u);
    EXPECT_NE(notices.texts[0].find("2147483648 bytes, more than 71236"), std::string::npos)
        << notices.texts[0];
    EXPECT_NE(notices.texts[1].find("SAVE2.dat is not a regular file"), std::string::npos);
    EXPECT_NE(notices.texts[2].find("SAVE3.dat is not a regular file"), std::string::npos);
}

TEST_F(StoreTest, StateFilesAreRegularBoundedAndInRange) {
    const NameCodec codec;
    DeviceState loaded;
    loaded.inputs[0].volume = 3;
    const DeviceState before = loaded;
    std::string error;
    std::ofstream(folder / "loud.json") << R"({"inputs":[{"volume":9999}]})";
    fs::create_directories(folder / "room");
    std::ofstream(folder / "big.json") << "{";
    fs::resize_file(folder / "big.json", 2u * 1024u * 1024u * 1024u);
    const std::pair<std::string, std::string> cases[] = {
        {(folder / "loud.json").string(), "input 1 volume 9999 is outside 0-70"},
        {(folder / "room").string(), "is not a regular file"},
        {"/dev/zero", "is not a regular file"},
        {(folder / "big.json").string(), "2147483648 bytes, more than"}};
    for (const auto& [path, why] : cases) {
        EXPECT_FALSE(StateFile::load(path, codec, loaded, error)) << path;
        EXPECT_NE(error.find(why), std::string::npos) << error;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(loaded, before);
    }
}

TEST_F(StoreTest, AnEmptyDatabaseIsToldAndTheSceneFilesItLostAreKeptAside) {
    ASSERT_TRUE(stores->scenes().save());
    stores.reset();
    const std::vector<uint8_t> orphan = file_bytes(folder / "SAVE1.dat");
    fs::resize_file(folder / "Tabla540.db", 0);
    stores = std::make_unique<StoreSession>(folder.string(), surface, notices);

    EXPECT_TRUE(stores->scenes().list().empty());
    ASSERT_EQ(notices.texts.size(), 2u);
    EXPECT_NE(notices.texts[0].find("is empty (0 bytes)"), std::string::npos) << notices.texts[0];
    EXPECT_EQ(notices.texts[1].rfind("No scene lists these scene files; they were kept aside: "
                                     "SAVE1.dat -> SAVE1.dat.orphan-",
                                     0),
              0u)
        << notices.texts[1];
    std::vector<fs::path> aside;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().filename().string().rfind("SAVE1.dat.orphan-", 0) == 0) {
            aside.push_back(e.path());
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(file_bytes(aside[0]), orphan);

    state.inputs[0].volume = 4;
    ASSERT_EQ(stores->scenes().save()->id, 1);
    EXPECT_EQ(file_bytes(folder / "SAVE1.dat"), StateImage::encode_scene(state));
    EXPECT_EQ(file_bytes(aside[0]), orphan) << "the old file is still there";
}

TEST_F(StoreTest, ASaveNeverOverwritesAFileNoRowLists) {
    ASSERT_TRUE(stores->scenes().save());
    const std::vector<uint8_t> unlisted(StateImage::kSceneSize, 0x5A);
    write_bytes(folder / "SAVE2.dat", unlisted);
    ASSERT_TRUE(stores->scenes().save());
    EXPECT_EQ(file_bytes(folder / "SAVE2.dat"), StateImage::encode_scene(state));
    bool kept = false;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (e.path().filename().string().rfind("SAVE2.dat.orphan-", 0) == 0) {
            kept = file_bytes(e.path()) == unlisted;
        }
    }
    EXPECT_TRUE(kept);
}

TEST_F(StoreTest, ASceneTableMadeElsewhereIsReadWithoutAThrow) {
    PresetDatabase& db = stores->database();
    ASSERT_TRUE(db.execute("drop table DeviceDATA"));
    ASSERT_TRUE(db.execute("create table DeviceDATA (ID TEXT, NAME TEXT, FILENAME TEXT)"));
    ASSERT_TRUE(db.execute("insert into DeviceDATA values('abc','text id','SAVE9.dat')"));
    ASSERT_TRUE(db.execute("insert into DeviceDATA values('2','two','SAVE2.dat')"));
    ASSERT_TRUE(db.execute("insert into DeviceDATA values('10','ten','SAVE10.dat')"));
    EXPECT_EQ(scene_texts(), (std::vector<std::string>{"2:two", "10:ten"}));
    EXPECT_EQ(scene_texts().size(), 2u);  // listed again
    EXPECT_EQ(notices.texts,
              (std::vector<std::string>{
                  "Rows of the scene table without a number as their ID are not shown: 1."}))
        << "told once";
    EXPECT_EQ(stores->scenes().save()->id, 11) << "the highest ID counts as a number";

    ASSERT_TRUE(db.execute("drop table DeviceDATA"));
    ASSERT_TRUE(db.execute("create table DeviceDATA (ID INTEGER, NAME TEXT)"));
    ASSERT_TRUE(db.execute("insert into DeviceDATA values(1,'no file column')"));
    notices.texts.clear();
    EXPECT_TRUE(stores->scenes().list().empty());
    EXPECT_FALSE(stores->scenes().load(1));
    EXPECT_FALSE(stores->scenes().save());
    ASSERT_FALSE(notices.texts.empty());
    EXPECT_EQ(notices.texts.front(), "no such column: FILENAME");
    EXPECT_EQ(stores->scenes().save_refusal(), "no such column: FILENAME");
}

TEST_F(StoreTest, ASavedNothingSaysTheRealReason) {
    SceneActions& scenes = stores->scenes();
    fs::create_directory(folder / "SAVE1.dat.tmp");  // the write cannot create its file
    EXPECT_FALSE(scenes.save());
    EXPECT_NE(scenes.save_refusal().find("Cannot create"), std::string::npos)
        << scenes.save_refusal();
    EXPECT_NE(scenes.save_refusal().find("Is a directory"), std::string::npos);
    EXPECT_TRUE(scene_texts().empty()) << "the row went with the file";

    ASSERT_TRUE(stores->database().execute("insert into DeviceDATA values(?,?,?)",
                                           {32, "SAVE32", "SAVE32.dat"}));
    EXPECT_FALSE(scenes.save());
    EXPECT_EQ(scenes.save_refusal(), SceneActions::kFull);
}

TEST_F(StoreTest, ASaveWaitsWhileAnotherProgramHoldsTheDatabase) {
    ASSERT_TRUE(stores->database().open());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((folder / "Tabla540.db").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread holder([other] {
        std::this_thread::sleep_for(300ms);
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    const auto saved = stores->scenes().save();
    holder.join();
    sqlite3_close(other);
    ASSERT_TRUE(saved) << stores->scenes().save_refusal();
    EXPECT_TRUE(notices.texts.empty());
}

TEST_F(StoreTest, NoPresetIdFollowsTheLargestOne) {
    ASSERT_TRUE(
        stores->database().execute("insert into PEQ values(?,?,?)", {INT_MAX, "last", "x"}));
    EXPECT_FALSE(stores->presets().save(PresetTable::Peq, 0));
    EXPECT_EQ(notices.texts, (std::vector<std::string>{PresetActions::kNoId}));
    EXPECT_EQ(preset_texts(PresetTable::Peq), (std::vector<std::string>{"2147483647:last"}));
}

TEST_F(StoreTest, APresetTableWithATextIdOrAMissingColumnIsReadWithoutAThrow) {
    PresetDatabase& db = stores->database();
    ASSERT_TRUE(db.execute("drop table GEQ"));
    ASSERT_TRUE(db.execute("create table GEQ (ID TEXT, NAME TEXT, GEQDATA TEXT)"));
    ASSERT_TRUE(db.execute("insert into GEQ values('x','text id','')"));
    ASSERT_TRUE(db.execute("insert into GEQ values('5','five','')"));
    EXPECT_EQ(preset_texts(PresetTable::Geq), (std::vector<std::string>{"5:five"}));
    EXPECT_EQ(stores->presets().save(PresetTable::Geq, 0)->id, 6);
    ASSERT_TRUE(db.execute("drop table \"LIMIT\""));
    ASSERT_TRUE(db.execute("create table \"LIMIT\" (ID INTEGER, NAME TEXT)"));
    ASSERT_TRUE(db.execute("insert into \"LIMIT\" values(1,'short')"));
    EXPECT_FALSE(stores->presets().list(PresetTable::Limit));
    EXPECT_FALSE(stores->presets().recall(PresetTable::Limit, 1, 0));
    EXPECT_EQ(notices.texts.back(), "no such column: LIMITDATA");
}

}  // namespace
}  // namespace kestra
