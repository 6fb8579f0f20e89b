// The hash indexes behind duplicates, removal and the call check must give
// exactly what plain linear scans of the log give. A straightforward model
// of the log, written here with scans only, replays a long random mix of
// adds, removes, resets and call checks next to the module. After every
// removal the module must also agree with a second module that was fed only
// the QSOs that remain: a removal leaves no trace a replay would not.

#include <gtest/gtest.h>

#include <random>

#include "engine/contest_rules.h"
#include "engine/text.h"
#include "reports/score_report.h"
#include "tests/support/module_fixture.h"

namespace {

struct ModelRecord {
  std::string call, band, mode, area;
  COleDateTime time;
  int notCounted = 0, dupe = 0;
  bool areaRefused = false;
  Qso qso;
};

class LinearModel {
 public:
  int Add(const Qso& q) {
    const CaseInsensitiveSet bands = contest::MakeBandList(), modes = contest::MakeModeList();
    if (!bands.Contains(q.band)) return 0;
    if (!modes.Contains(q.mode) || q.exchRcvd.empty() || q.exchSent.empty()) return 0;
    ModelRecord r{q.call, q.band, q.mode, "", q.time, 0, 0, false, q};
    if (q.exchRcvd != "LB" && q.exchRcvd != "YL" && q.exchRcvd != "QRP") {
      const std::string n(text::Trim(text::ToUpper(q.exchRcvd)));
      if (contest::IsAreaCode(n)) {
        r.area = n;
      } else {
        r.areaRefused = true;
      }
    }
    if (q.dxPrefix == "PY0T") r.area = "PY0T";
    if (q.dxPrefix == "PY0F") r.area = "PY0F";
    if (q.dxPrefix == "PY0S" || q.dxPrefix == "PY0/s") r.area = "PY0S";
    records.push_back(r);
    Flag();
    return 1;
  }
  void Remove(const Qso& q) {
    for (auto it = records.begin(); it != records.end(); ++it) {
      if (it->call == q.call && it->band == q.band && it->mode == q.mode && it->time == q.time) {
        records.erase(it);
        Flag();
        return;
      }
    }
  }
  // Duplicate flags as a replay of the records in their order gives them.
  void Flag() {
    for (size_t i = 0; i < records.size(); ++i) {
      ModelRecord& r = records[i];
      r.dupe = 0;
      for (size_t j = 0; j < i; ++j) {
        const ModelRecord& e = records[j];
        if (e.call == r.call && e.band == r.band && e.mode == r.mode) r.dupe = 1;
      }
      r.notCounted = r.dupe != 0 || r.areaRefused ? 1 : 0;
    }
  }
  int Check(const std::string& call, const std::string& band, const std::string& mode,
            const std::string& prefix, const std::string& area) const {
    if (!contest::MakeBandList().Contains(band)) return 4;
    for (const ModelRecord& e : records) {
      if (e.call == call && e.band == band && e.mode == mode) return 0;
    }
    if (prefix != "PY" && prefix != "PY0S" && prefix != "PY0F" && prefix != "PY0T") return 2;
    for (const ModelRecord& e : records) {
      if (e.band == band && e.area == area) return 1;
    }
    return 2;
  }
  std::vector<ModelRecord> records;
};

class IndexModelTest : public ModuleTest {
 protected:
  // Compares the module with a fresh module that replays the model's
  // records; the bands-seen list and the bad-QSO file record history (a
  // replay would differ there by design), so the score is taken over the
  // replay's bands and printed without the bad-QSO count.
  void ExpectSameAsReplay(const LinearModel& model, const CallCheckArgs& probe, int step) {
    TestPlatform replay_platform;
    StatsModule replay(replay_platform.platform());
    for (const ModelRecord& r : model.records) ASSERT_EQ(replay.AddData(r.qso.args()), 1);
    ASSERT_EQ(module_->store().size(), model.records.size()) << "step " << step;
    for (size_t i = 0; i < model.records.size(); ++i) {
      const QsoRecord& got = module_->store().element(i);
      ASSERT_EQ(got.dupe, model.records[i].dupe) << "step " << step << " record " << i;
      ASSERT_EQ(got.notCounted, model.records[i].notCounted) << "step " << step << " record " << i;
      ASSERT_EQ(got.dupe, replay.store().element(i).dupe);
      ASSERT_EQ(got.notCounted, replay.store().element(i).notCounted);
    }
    std::vector<std::string> bands = replay.bandsSeen();
    SortBandsSeen(&bands);
    BandTables mine, theirs;
    const ReportTitle title;
    ASSERT_EQ(RenderTextReport(ComputeScore(module_->store(), bands, &mine), title, 0),
              RenderTextReport(ComputeScore(replay.store(), bands, &theirs), title, 0))
        << "step " << step;
    ASSERT_EQ(module_->CheckCall(probe), replay.CheckCall(probe)) << "step " << step;
  }
};

TEST_F(IndexModelTest, RandomOperationsAgreeWithLinearScans) {
  const char* calls[] = {"PY1AA", "PY1AAA", "py1aa", "PY2BB", "PY0FA", ""};
  const char* bands[] = {"40m", "40M", "20m", "160m", "80m", "10m"};
  const char* modes[] = {"RTTY", "BPSK31", "rtty", "CW", "BPSK125"};
  const char* exchanges[] = {"RJ", "SP", "yl", "YL", "QRP", "XX", "", " sp", "LB"};
  const char* prefixes[] = {"PY", "PY0F", "DL", "PY0/s", "PY0T"};
  const COleDateTime times[] = {COleDateTime::FromCalendar(2018, 6, 9, 12, 0, 0),
                                COleDateTime::FromCalendar(2018, 6, 9, 12, 1, 0),
                                COleDateTime::Null()};
  std::mt19937 random(20180609);
  auto pick = [&random](auto& pool) {
    return pool[std::uniform_int_distribution<size_t>(0, std::size(pool) - 1)(random)];
  };

  LinearModel model;
  Reset();
  for (int step = 0; step < 4000; ++step) {
    Qso q;
    q.call = pick(calls);
    q.band = pick(bands);
    q.mode = pick(modes);
    q.exchRcvd = pick(exchanges);
    q.dxPrefix = pick(prefixes);
    q.time = pick(times);
    const int op = std::uniform_int_distribution<int>(0, 99)(random);
    if (op < 60) {
      ASSERT_EQ(Add(q), model.Add(q)) << "step " << step;
    } else if (op < 85) {
      // Most removals name a logged QSO, so that first records go often.
      if (!model.records.empty() && op < 80) {
        q = model
                .records[std::uniform_int_distribution<size_t>(0, model.records.size() - 1)(random)]
                .qso;
      }
      Remove(q);
      model.Remove(q);
      CallCheckArgs probe;
      probe.call = q.call;
      probe.band = q.band.c_str();
      probe.mode = q.mode;
      probe.dxPrefix = "PY";
      probe.area = pick(exchanges);
      ASSERT_NO_FATAL_FAILURE(ExpectSameAsReplay(model, probe, step));
    } else if (op < 99) {
      CallCheckArgs a;
      a.call = q.call;
      a.band = q.band.c_str();
      a.mode = q.mode;
      a.dxPrefix = q.dxPrefix;
      a.area = pick(exchanges);
      ASSERT_EQ(module_->CheckCall(a),
                model.Check(q.call, q.band, q.mode, q.dxPrefix, std::string(a.area)))
          << "step " << step;
    } else {
      Reset();
      model.records.clear();
    }
    ASSERT_EQ(module_->store().size(), model.records.size()) << "step " << step;
  }
  for (size_t i = 0; i < model.records.size(); ++i) {
    const QsoRecord& got = module_->store().element(i);
    const ModelRecord& want = model.records[i];
    EXPECT_EQ(got.call, want.call);
    EXPECT_EQ(got.area, want.area);
    EXPECT_EQ(got.dupe, want.dupe);
    EXPECT_EQ(got.notCounted, want.notCounted);
    EXPECT_EQ(got.areaRefused, want.areaRefused);
  }
}

}  // namespace
