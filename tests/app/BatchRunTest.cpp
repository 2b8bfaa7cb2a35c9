#include "app/BatchRun.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <numbers>
#include <stdexcept>

#include "app/AppPaths.h"
#include "app/Settings.h"
#include "support/TestFiles.h"
#include "util/Func2.h"

namespace velmora {
namespace {

using test::ReadBytes;
using test::TScopedTempDir;
using test::WriteBytes;

std::filesystem::path U8(const std::string& s) {
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

class TFakePlatform : public IPlatform {
  public:
    std::string Program = "/program/";
    std::string Desktop;
    std::string Documents;
    std::optional<std::string> BrowseAnswer;
    std::string BrowseStart;
    int BrowseCount = 0;
    int EscapeAtCall = -1;  // EscapeDown answers true on this call (0-based)
    std::vector<std::string> Progressed;
    std::vector<std::string> FormEdit3;
    void Progress(const std::string& text) override { Progressed.push_back(text); }
    void FormTextsChanged(const TFormState& st) override { FormEdit3.push_back(st.Edit3); }
    int EscapeCalls = 0;
    std::vector<std::string> Messages;
    std::vector<std::string> Log;
    int ClearCount = 0;
    int ShowLogCount = 0;
    std::function<void()> OnProcessEvents;

    std::string ProgramFolder() override { return Program; }
    std::string DesktopFolder() override { return Desktop; }
    std::string DocumentsFolder() override { return Documents; }
    bool EscapeDown() override { return EscapeCalls++ == EscapeAtCall; }
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    std::optional<std::string> BrowseForFolder(const std::string& start,
                                               const std::string& caption) override {
        ++BrowseCount;
        BrowseStart = start;
        EXPECT_EQ(caption, kBrowseCaption);
        return BrowseAnswer;
    }
    void ProcessEvents() override {
        if (OnProcessEvents) OnProcessEvents();
    }
    void ClearLog() override {
        ++ClearCount;
        Log.clear();
    }
    void AddLog(const std::string& line) override { Log.push_back(line); }
    void ShowLogPage() override { ++ShowLogCount; }
};

// Records every call in one trace; "converts" a file by remembering its name, and writes it.
class TFakeEngine : public IConversionEngine {
  public:
    struct TKind : IFileKind {
        TFakeEngine* Engine = nullptr;
        std::string Ext;
        bool Accept = true;
        bool FileCheck(const std::string& src) override {
            Engine->Trace.push_back("FileCheck" + Ext);
            return Accept && FileThere(src);
        }
        bool FileIn(const std::string& src) override {
            Engine->Trace.push_back("FileIn" + Ext);
            if (Engine->OnFileIn) Engine->OnFileIn();
            Engine->Loaded = ReadBytes(U8(src));
            return false;
        }
        void ResetAttributes() override { Engine->Trace.push_back("ResetAttributes" + Ext); }
        void SetGAttLayer() override { Engine->Trace.push_back("SetGAttLayer" + Ext); }
        void Convert() override {
            Engine->Trace.push_back("Convert" + Ext);
            Engine->Fig = Engine->Loaded;
        }
        TDamage Damage() const override { return Engine->DamageOf(Engine->Loaded); }
    };

    // A source whose content begins "cut" was damaged, "many" hit a budget.
    static TDamage DamageOf(const std::string& loaded) {
        TDamage d;
        if (loaded.starts_with("cut")) d = {TDamage::TKind::File, 12, "File I/O Error"};
        if (loaded.starts_with("many")) d = {TDamage::TKind::Budget, 0, "block tree budget"};
        return d;
    }

    std::map<std::string, std::unique_ptr<TKind>> Kinds;
    std::vector<std::string> Trace;
    std::string Loaded;
    std::string Fig;  // stands for the primitive list: kept until Fig3DClear
    TSaveResult Save = TSaveResult::Written;
    std::vector<TConvertSettings> SettingsSeen;
    std::function<void()> OnFileIn;

    void AddKind(const std::string& ext, bool accept = true) {
        auto k = std::make_unique<TKind>();
        k->Engine = this;
        k->Ext = ext;
        k->Accept = accept;
        Kinds[ext] = std::move(k);
    }

    IFileKind* Kind(const std::string& ext) override {
        auto it = Kinds.find(ext);
        return it == Kinds.end() ? nullptr : it->second.get();
    }
    void SetSettings(const TConvertSettings& s) override { SettingsSeen.push_back(s); }
    bool DieWhileWriting = false;  // leaves a partial file and throws, as a fault would
    std::vector<std::string> SavedTo;
    TSaveResult SaveDae(const std::string& dst, std::string& error) override {
        Trace.push_back("SaveDae");
        SavedTo.push_back(dst);
        if (DieWhileWriting) {
            WriteBytes(U8(dst), "<COLLADA");
            throw std::runtime_error("write fault");
        }
        if (Save == TSaveResult::Written) WriteBytes(U8(dst), "dae:" + Fig);
        if (Save == TSaveResult::CannotCreate) error = "cannot create " + dst;
        return Save;
    }
    void FreeAll() override {
        Trace.push_back("FreeAll");
        Loaded.clear();
    }
    void Fig3DClear() override {
        Trace.push_back("Fig3DClear");
        Fig.clear();
    }
};

class BatchRunTest : public ::testing::Test {
  protected:
    BatchRunTest() {
        src_ = dir_.File("src/");
        out_ = dir_.File("out/");
        MakeFolder(src_);
        MakeFolder(out_);
        state_.SetRadioButtonFl(4, true);
        state_.EditFl1 = out_;
        engine_.AddKind(".jww");
        engine_.AddKind(".jwc");
    }

    std::string Source(const std::string& name, const std::string& content = "drawing") {
        WriteBytes(U8(src_ + name), content);
        return src_ + name;
    }

    std::vector<std::string> LogFor(const std::vector<std::pair<std::string, std::string>>& files,
                                    const std::string& result) {
        std::vector<std::string> log;
        for (const auto& [src, dst] : files) {
            log.push_back(src);
            log.push_back("→ " + dst);
            log.push_back("　…… " + result);
        }
        return log;
    }

    TScopedTempDir dir_;
    std::string src_;
    std::string out_;
    TFakePlatform platform_;
    TFakeEngine engine_;
    TFormState state_;
    std::string dat_ = dir_.File("velmora.dat");
    TBatchRun run_{platform_, engine_, state_, dat_};
};

TEST_F(BatchRunTest, ConvertsInOrderWithBranchNumbers) {
    const std::string a = Source("x.jww", "A");
    const std::string b = Source("x.jwc", "B");
    const std::string c = Source("PLAN.JWW", "C");
    WriteBytes(U8(out_ + "PLAN.dae"), "old");
    const TRunReport r = run_.Intake({a, Source("notes.txt"), b, c, src_ + "gone.jww"});
    EXPECT_EQ(r.End, TRunEnd::Finished);
    EXPECT_EQ(r.Converted, 3);
    EXPECT_EQ(r.Failed, 0);
    EXPECT_EQ(run_.FListN(), 3);
    EXPECT_EQ(
        platform_.Log,
        LogFor({{a, out_ + "x.dae"}, {b, out_ + "x~1.dae"}, {c, out_ + "PLAN~1.dae"}}, "変換完了"));
    EXPECT_EQ(ReadBytes(U8(out_ + "x.dae")), "dae:A");
    EXPECT_EQ(ReadBytes(U8(out_ + "x~1.dae")), "dae:B");
    EXPECT_EQ(ReadBytes(U8(out_ + "PLAN.dae")), "old");
    EXPECT_EQ(ReadBytes(U8(out_ + "PLAN~1.dae")), "dae:C");
    EXPECT_EQ(platform_.ShowLogCount, 1);
    EXPECT_EQ(engine_.Trace.back(), "Fig3DClear");
}

TEST_F(BatchRunTest, PartlyConvertedFilesAreLoggedWithTheirNote) {
    const std::string a = Source("a.jww", "cut");
    const std::string b = Source("b.jww", "many");
    const std::string c = Source("c.jww", "whole");
    const TRunReport r = run_.Intake({a, b, c});
    EXPECT_EQ(r.Converted, 3);
    EXPECT_EQ(r.Partial, 2);
    ASSERT_EQ(platform_.Log.size(), 9u);
    EXPECT_EQ(platform_.Log[2],
              "　…… 変換完了（ファイルが壊れています。読めた部分だけを変換しました）");
    EXPECT_EQ(platform_.Log[5], "　…… 変換完了（図形が多すぎるため一部を省きました）");
    EXPECT_EQ(platform_.Log[8], "　…… 変換完了");
}

TEST_F(BatchRunTest, OutputNameTakesTheExtensionOfTheFormat) {
    const std::string a = Source("x.jww", "A");
    const std::string b = Source("x.jwc", "B");
    WriteBytes(U8(out_ + "x.glb"), "old");
    for (const int format : {1, 2}) {
        state_.ComboBox3 = format;
        run_.Intake({a, b});
        EXPECT_EQ(static_cast<int>(run_.Settings().Format), format);
    }
    // The compact document keeps ".dae"; the glTF names take the branch rule as they are.
    EXPECT_TRUE(FileThere(out_ + "x.dae"));
    EXPECT_TRUE(FileThere(out_ + "x~1.dae"));
    EXPECT_EQ(ReadBytes(U8(out_ + "x.glb")), "old");
    EXPECT_EQ(ReadBytes(U8(out_ + "x~1.glb")), "dae:A");
    EXPECT_EQ(ReadBytes(U8(out_ + "x~2.glb")), "dae:B");
}

TEST_F(BatchRunTest, StepsOfOneFileInOrder) {
    run_.Intake({Source("a.jww")});
    EXPECT_EQ(engine_.Trace,
              (std::vector<std::string>{"FileCheck.jww", "FileIn.jww", "ResetAttributes.jww",
                                        "SetGAttLayer.jww", "Convert.jww", "SaveDae", "FreeAll",
                                        "Fig3DClear"}));
}

TEST_F(BatchRunTest, RejectedFileWritesNothingAndCarriesNoOtherDrawing) {
    engine_.AddKind(".jwc", false);
    const std::string a = Source("a.jww", "A");
    const std::string b = Source("b.jwc", "B");
    const std::string c = Source("c.jws", "C");  // no reader for it
    const TRunReport r = run_.Intake({a, b, c});
    EXPECT_EQ(r.Converted, 1);
    EXPECT_EQ(r.Failed, 2);
    EXPECT_EQ(platform_.Log, (std::vector<std::string>{a, "→ " + out_ + "a.dae", "　…… 変換完了", b,
                                                       "→ " + out_ + "b.dae", "　…… 変換失敗", c,
                                                       "→ " + out_ + "c.dae", "　…… 変換失敗"}));
    EXPECT_FALSE(FileThere(out_ + "b.dae"));
    EXPECT_FALSE(FileThere(out_ + "c.dae"));
    // FreeAll follows every file, whatever happened.
    EXPECT_EQ(std::count(engine_.Trace.begin(), engine_.Trace.end(), "FreeAll"), 3);
}

TEST_F(BatchRunTest, FailedWriteIsLoggedAndRunGoesOn) {
    engine_.Save = TSaveResult::Failed;
    const TRunReport r = run_.Intake({Source("a.jww"), Source("b.jww")});
    EXPECT_EQ(r.End, TRunEnd::Finished);
    EXPECT_EQ(r.Failed, 2);
    EXPECT_EQ(platform_.Log.size(), 6u);
    EXPECT_EQ(platform_.Log[5], "　…… 変換失敗");
}

TEST_F(BatchRunTest, UnsupportedFilesStartNoRunAndSaveNothing) {
    platform_.Log = {"earlier"};
    const TRunReport r = run_.Intake({Source("a.txt"), Source("b.dae"), src_ + "gone.jww", "",
                                      std::string("bad\0name.jww", 12), src_});
    EXPECT_EQ(r.End, TRunEnd::NotStarted);
    EXPECT_EQ(platform_.Log, std::vector<std::string>{"earlier"});
    EXPECT_FALSE(FileThere(dat_));
    EXPECT_TRUE(engine_.Trace.empty());
}

TEST_F(BatchRunTest, NamesNoPathMayHoldAreSkipped) {
    EXPECT_FALSE(run_.PickupFile(std::string("a\0.jww", 6)));
    EXPECT_FALSE(run_.PickupFile("/nowhere/\x01\xff.jww"));
    EXPECT_TRUE(run_.PickupFile(Source("図面.JwW")));
    EXPECT_EQ(run_.FListN(), 1);
}

TEST_F(BatchRunTest, MissingSpecifiedFolderLeavesEverythingAlone) {
    platform_.Log = {"earlier"};
    state_.EditFl1 = dir_.File("missing");
    const TRunReport r = run_.Intake({Source("a.jww")});
    EXPECT_EQ(r.End, TRunEnd::FolderMissing);
    EXPECT_EQ(
        platform_.Messages,
        std::vector<std::string>{"指定したフォルダが見つかりません。\r\n" + dir_.File("missing/")});
    EXPECT_EQ(platform_.Log, std::vector<std::string>{"earlier"});
    EXPECT_EQ(platform_.ClearCount, 0);
    EXPECT_FALSE(FileThere(dat_));
    EXPECT_TRUE(engine_.Trace.empty());
}

TEST_F(BatchRunTest, EmptySpecifiedFolderIsMissingNotTheRoot) {
    state_.EditFl1 = "";
    EXPECT_EQ(run_.Intake({Source("a.jww")}).End, TRunEnd::FolderMissing);
    EXPECT_EQ(platform_.Messages.size(), 1u);
}

TEST_F(BatchRunTest, DesktopDocumentsAndBeside) {
    platform_.Desktop = dir_.File("desk");
    platform_.Documents = dir_.File("docs");
    MakeFolder(platform_.Desktop);
    MakeFolder(platform_.Documents);
    const std::string a = Source("a.jww");
    struct {
        int button;
        std::string dst;
    } const cases[] = {
        {1, dir_.File("desk/a.dae")}, {2, dir_.File("docs/a.dae")}, {3, src_ + "a.dae"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        state_.SetRadioButtonFl(c.button, true);
        run_.Intake({a});
        ASSERT_EQ(platform_.Log.size(), 3u);
        EXPECT_EQ(platform_.Log[1], "→ " + c.dst);
        EXPECT_TRUE(FileThere(c.dst));
    }
    // Beside the source again: the first output is taken now.
    state_.SetRadioButtonFl(3, true);
    run_.Intake({a});
    EXPECT_EQ(platform_.Log[1], "→ " + src_ + "a~1.dae");
    // A desktop the platform does not know is a missing folder.
    platform_.Desktop = "";
    state_.SetRadioButtonFl(1, true);
    EXPECT_EQ(run_.Intake({a}).End, TRunEnd::FolderMissing);
}

TEST_F(BatchRunTest, AskEveryTimeUsesAndRemembersTheChosenFolder) {
    state_.SetRadioButtonFl(5, true);
    state_.LabelPreFolder = dir_.File("not-there/");
    platform_.BrowseAnswer = out_.substr(0, out_.size() - 1);
    const std::string a = Source("a.jww");
    EXPECT_EQ(run_.Intake({a}).End, TRunEnd::Finished);
    EXPECT_EQ(platform_.BrowseStart, "/program/");
    EXPECT_EQ(state_.LabelPreFolder, out_);
    EXPECT_EQ(platform_.Log[1], "→ " + out_ + "a.dae");
    run_.Intake({a});
    EXPECT_EQ(platform_.BrowseStart, out_);

    // No button checked at all asks as well.
    state_.SetRadioButtonFl(5, false);
    run_.Intake({a});
    EXPECT_EQ(platform_.BrowseCount, 3);
}

TEST_F(BatchRunTest, CancelledFolderChoiceEndsTheRun) {
    state_.SetRadioButtonFl(5, true);
    platform_.Log = {"earlier"};
    const TRunReport r = run_.Intake({Source("a.jww")});
    EXPECT_EQ(r.End, TRunEnd::Cancelled);
    EXPECT_EQ(platform_.Log, std::vector<std::string>{"earlier"});
    EXPECT_FALSE(FileThere(dat_));
    EXPECT_TRUE(engine_.Trace.empty());
    EXPECT_TRUE(platform_.Messages.empty());
}

TEST_F(BatchRunTest, EscapeBeforeTheFirstFileConvertsNothing) {
    platform_.EscapeAtCall = 0;
    const TRunReport r = run_.Intake({Source("a.jww"), Source("b.jww")});
    EXPECT_EQ(r.End, TRunEnd::Escaped);
    EXPECT_EQ(platform_.Log, std::vector<std::string>{"[ESC]を押しましたので中断します。"});
    EXPECT_EQ(engine_.Trace, std::vector<std::string>{"Fig3DClear"});
    EXPECT_EQ(platform_.ShowLogCount, 1);
}

TEST_F(BatchRunTest, EscapeBetweenFiles) {
    platform_.EscapeAtCall = 1;
    const TRunReport r = run_.Intake({Source("a.jww"), Source("b.jww")});
    EXPECT_EQ(r.End, TRunEnd::Escaped);
    EXPECT_EQ(r.Converted, 1);
    ASSERT_EQ(platform_.Log.size(), 4u);
    EXPECT_EQ(platform_.Log[3], "[ESC]を押しましたので中断します。");
    EXPECT_FALSE(FileThere(out_ + "b.dae"));
}

TEST_F(BatchRunTest, ClampsAreWrittenBackAndSettingsSavedBefore) {
    struct {
        const char *edit2, *edit3, *edit4, *edit5, *edit6, *edit7;
        double tenSize;
        int arcSep, arcSep1, arcSep2;
        double degrees, arcSepLen;
        const char *w2, *w3, *w4, *w5, *w6, *w7;
    } const cases[] = {
        {"0", "1", "0", "abc", "0", "2", 1, 3, 3, 3, 0.1, 0.001,  //
         "1", "3", "0.1", "3", "0.001", "3"},
        {"", "99999", "100", "3601", "5000", "-5", 1, 3600, 3600, 3, 90, 1000,  //
         "1", "3600", "90", "3600", "1000", "3"},
        {"abc", "x", "abc", "12", "abc", "4000", 1, 3, 12, 3600, 0.1, 0.001,  //
         "1", "3", "0.1", "12", "0.001", "3600"},
        {"-5", "12", "7.50", "4", "2.5", "4", 0.00001, 12, 4, 4, 7.5, 2.5,  //
         "1E-5", "12", "7.5", "4", "2.5", "4"},
        {"20000", " 5", "45", "5", "10", "5", 10000, 5, 5, 5, 45, 10,  //
         "10000", "5", "45", "5", "10", "5"},
        {"2.50", "12", "10", "4", "10", "4", 2.5, 12, 4, 4, 10, 10,  //
         "2.5", "12", "10", "4", "10", "4"},
    };
    const std::string a = Source("a.jww");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit2);
        state_.Edit2 = c.edit2;
        state_.Edit3 = c.edit3;
        state_.Edit4 = c.edit4;
        state_.Edit5 = c.edit5;
        state_.Edit6 = c.edit6;
        state_.Edit7 = c.edit7;
        const TFormState before = state_;
        ASSERT_EQ(run_.Intake({a}).End, TRunEnd::Finished);
        const TConvertSettings& s = run_.Settings();
        EXPECT_EQ(s.TenSize, c.tenSize);
        EXPECT_EQ(s.ArcSep, c.arcSep);
        EXPECT_EQ(s.ArcSep1, c.arcSep1);
        EXPECT_EQ(s.ArcSep2, c.arcSep2);
        EXPECT_DOUBLE_EQ(s.ArcSepAng, c.degrees / 180 * std::numbers::pi);
        EXPECT_EQ(s.ArcSepLen, c.arcSepLen);
        EXPECT_EQ(state_.Edit2, c.w2);
        EXPECT_EQ(state_.Edit3, c.w3);
        EXPECT_EQ(state_.Edit4, c.w4);
        EXPECT_EQ(state_.Edit5, c.w5);
        EXPECT_EQ(state_.Edit6, c.w6);
        EXPECT_EQ(state_.Edit7, c.w7);
        EXPECT_EQ(engine_.SettingsSeen.back().TenSize, c.tenSize);
        // The file keeps the texts as they were before the clamps (read back normalised).
        TFormState saved;
        ASSERT_TRUE(OpenDatFile(dat_, "/x/", saved));
        TFormState want;
        ASSERT_TRUE(SaveDatFile(dir_.File("want.dat"), before));
        ASSERT_TRUE(OpenDatFile(dir_.File("want.dat"), "/x/", want));
        EXPECT_EQ(saved, want);
        EXPECT_EQ(ReadBytes(U8(dat_)), ReadBytes(U8(dir_.File("want.dat"))));
    }
}

TEST_F(BatchRunTest, CapturesFiltersScaleMarkerAndMode) {
    struct {
        int combo1;
        double scale;
        int arcButton;
        int arcType;
    } const cases[] = {{0, 1, 5, 0},    {1, 10, 6, 1}, {2, 100, 7, 2},
                       {3, 1000, 5, 0}, {9, 1, 6, 1},  {-1, 1, 0, 0}};
    const std::string a = Source("a.jww");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.combo1);
        state_.ComboBox1 = c.combo1;
        state_.ComboBox2 = 6;
        if (c.arcButton != 0) {
            state_.SetRadioButton(c.arcButton, true);
        } else {
            for (int n = 5; n <= 7; ++n)
                state_.SetRadioButton(n, false);
        }
        state_.CheckBox1 = false;
        state_.CheckBox6 = true;
        run_.Intake({a});
        const TConvertSettings& s = run_.Settings();
        EXPECT_EQ(s.SaveScale, c.scale);
        EXPECT_EQ(s.ArcSepType, c.arcType);
        EXPECT_EQ(s.TenType, 6);
        EXPECT_FALSE(s.CB1);
        EXPECT_TRUE(s.CB2);
        EXPECT_TRUE(s.CB6);
    }
}

TEST_F(BatchRunTest, NoSettingsFileWhenNoneIsNamed) {
    TBatchRun cli(platform_, engine_, state_, std::string());
    EXPECT_EQ(cli.Intake({Source("a.jww")}).End, TRunEnd::Finished);
    EXPECT_FALSE(FileThere(dat_));
    EXPECT_FALSE(cli.SettingsSaveFailed);
}

TEST_F(BatchRunTest, UnwritableSettingsFileDoesNotStopTheRun) {
    TBatchRun run(platform_, engine_, state_, dir_.File("no/such/dir/velmora.dat"));
    const TRunReport r = run.Intake({Source("a.jww")});
    EXPECT_EQ(r.End, TRunEnd::Finished);
    EXPECT_EQ(r.Converted, 1);
    EXPECT_TRUE(run.SettingsSaveFailed);
}

TEST_F(BatchRunTest, AllBranchNumbersTakenFailsWithoutWriting) {
    for (const char* n : {"a.dae", "a~1.dae", "a~2.dae"})
        WriteBytes(U8(out_ + n), "old");
    run_.BranchLimit = 2;
    const std::string a = Source("a.jww");
    const std::string b = Source("b.jww");
    const TRunReport r = run_.Intake({a, b});
    EXPECT_EQ(r.Failed, 1);
    EXPECT_EQ(r.Converted, 1);
    EXPECT_EQ(platform_.Log, (std::vector<std::string>{a, "→ " + out_ + "a.dae", "　…… 変換失敗", b,
                                                       "→ " + out_ + "b.dae", "　…… 変換完了"}));
    for (const char* n : {"a.dae", "a~1.dae", "a~2.dae"})
        EXPECT_EQ(ReadBytes(U8(out_ + n)), "old");
    EXPECT_FALSE(FileThere(out_ + "a~3.dae"));
}

TEST_F(BatchRunTest, CannotCreateEndsTheRunAtThatFile) {
    engine_.Save = TSaveResult::CannotCreate;
    const std::string a = Source("a.jww");
    const TRunReport r = run_.Intake({a, Source("b.jww")});
    EXPECT_EQ(r.End, TRunEnd::CannotCreate);
    EXPECT_EQ(platform_.Log, (std::vector<std::string>{a, "→ " + out_ + "a.dae"}));
    EXPECT_EQ(platform_.Messages, std::vector<std::string>{"cannot create " + out_ + "a.dae"});
    EXPECT_EQ(std::count(engine_.Trace.begin(), engine_.Trace.end(), "FileCheck.jww"), 1);
    EXPECT_EQ(engine_.Trace.back(), "Fig3DClear");
}

TEST_F(BatchRunTest, NewIntakeDuringARunIsRefused) {
    const std::string a = Source("a.jww");
    const std::string b = Source("b.jww");
    const std::string c = Source("c.jww");
    std::vector<TRunEnd> nested;
    platform_.OnProcessEvents = [&] {
        nested.push_back(run_.Intake({c}).End);
        nested.push_back(run_.RunProc().End);
        EXPECT_FALSE(run_.PickupFile(c));
        EXPECT_TRUE(run_.Running());
    };
    const TRunReport r = run_.Intake({a, b});
    EXPECT_EQ(r.Converted, 2);
    EXPECT_EQ(nested, (std::vector<TRunEnd>{TRunEnd::Refused, TRunEnd::Refused, TRunEnd::Refused,
                                            TRunEnd::Refused}));
    EXPECT_EQ(run_.FList(), (std::vector<std::string>{a, b}));
    EXPECT_FALSE(FileThere(out_ + "c.dae"));
    EXPECT_FALSE(run_.Running());
    // Once the run is over a new intake works again.
    EXPECT_EQ(run_.Intake({c}).Converted, 1);
}

TEST_F(BatchRunTest, InterruptedWriteLeavesNeitherOutputNorTemporaryFile) {
    engine_.DieWhileWriting = true;
    const TRunReport r = run_.Intake({Source("a.jww"), Source("b.jww")});
    EXPECT_EQ(r.Failed, 2);
    ASSERT_EQ(engine_.SavedTo.size(), 2u);
    // Written in the output folder under a name no output and no branch number can have.
    EXPECT_EQ(ExtractFilePath(engine_.SavedTo[0]), out_);
    EXPECT_NE(engine_.SavedTo[0], engine_.SavedTo[1]);
    EXPECT_NE(GetFileExtLower(engine_.SavedTo[0]), ".dae");
    EXPECT_TRUE(std::filesystem::is_empty(U8(out_)));

    // A complete document gets its name; a file that took the name meanwhile is kept.
    engine_.DieWhileWriting = false;
    const std::string c = Source("c.jww", "C");
    EXPECT_EQ(run_.Intake({c}).Converted, 1);
    EXPECT_EQ(ReadBytes(U8(out_ + "c.dae")), "dae:C");
    EXPECT_TRUE(RenameNoReplace(out_ + "c.dae", out_ + "d.dae"));
    WriteBytes(U8(out_ + "e.dae"), "theirs");
    EXPECT_FALSE(RenameNoReplace(out_ + "d.dae", out_ + "e.dae"));
    EXPECT_EQ(ReadBytes(U8(out_ + "e.dae")), "theirs");
}

TEST_F(BatchRunTest, EscapeTappedDuringAFileStopsBeforeTheNextAndProgressIsShown) {
    state_.Edit3 = "1";
    platform_.OnProcessEvents = [&] { run_.RequestStop(); };
    const std::string a = Source("a.jww");
    const TRunReport r = run_.Intake({a, Source("b.jww")});
    EXPECT_EQ(r.End, TRunEnd::Escaped);
    EXPECT_EQ(platform_.Log.back(), "[ESC]を押しましたので中断します。");
    EXPECT_EQ(platform_.Progressed, (std::vector<std::string>{"変換中 1/2: a.jww", ""}));
    EXPECT_EQ(platform_.FormEdit3, std::vector<std::string>{"3"});
    // A press between runs does not stop the next one.
    platform_.OnProcessEvents = nullptr;
    run_.RequestStop();
    EXPECT_EQ(run_.Intake({a}).End, TRunEnd::Finished);
}

TEST_F(BatchRunTest, StopDuringTheLastFileAbandonsItAndSaysWhy) {
    state_.Edit3 = "1";
    engine_.OnFileIn = [&] { run_.RequestStop(); };
    const std::string a = Source("a.jww");
    const TRunReport r = run_.Intake({a});
    EXPECT_EQ(r.End, TRunEnd::Escaped);
    EXPECT_EQ(r.Failed, 1);
    EXPECT_EQ(platform_.Log, (std::vector<std::string>{a, "→ " + out_ + "a.dae", "　…… 変換失敗",
                                                       "[ESC]を押しましたので中断します。"}));
    EXPECT_TRUE(std::filesystem::is_empty(U8(out_)));
}

TEST(AppPaths, FromProgramFile) {
    const TAppPaths p = TAppPaths::FromProgramFile("/opt/ベルモラ/bin/velmora");
    EXPECT_EQ(p.ExeFolder, "/opt/ベルモラ/bin/");
    EXPECT_EQ(p.TempFolder, "/opt/ベルモラ/bin/TEMP/");
    EXPECT_EQ(p.DatFileName, "/opt/ベルモラ/bin/velmora.dat");
    EXPECT_EQ(TAppPaths::FromProgramFile("/a.b/conv.bin").DatFileName, "/a.b/conv.dat");
}

TEST(AppPaths, TempFolderCreatedAndRemovedOnlyWhenEmpty) {
    TScopedTempDir dir;
    const TAppPaths p = TAppPaths::FromProgramFile(dir.File("velmora"));
    EXPECT_TRUE(p.CreateTempFolder());
    EXPECT_TRUE(FolderThere(p.TempFolder));
    WriteBytes(U8(p.TempFolder + "pic.bmp"), "x");
    EXPECT_FALSE(p.RemoveTempFolderIfEmpty());
    EXPECT_TRUE(FileThere(p.TempFolder + "pic.bmp"));
    EraseFile(p.TempFolder + "pic.bmp");
    EXPECT_TRUE(p.RemoveTempFolderIfEmpty());
    EXPECT_FALSE(FolderThere(p.TempFolder));
}

}  // namespace
}  // namespace velmora
