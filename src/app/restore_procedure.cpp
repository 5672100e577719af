#include "app/restore_procedure.h"

#include "core/restore_rules.h"

namespace axistune {

namespace {

class Steps {
  public:
    Steps(const RestoreProgress& progress, const RestoreResult& result)
        : progress_(progress), result_(result) {}
    void SetTotal(int total) { total_ = total; }
    void Begin(const std::string& what) { Report({RestoreEvent::kStep, what, ++index_, total_}); }
    void Report(const RestoreEvent& event) const {
        if (progress_) {
            progress_(event, result_);
        }
    }

  private:
    const RestoreProgress& progress_;
    const RestoreResult& result_;
    int index_ = 0;
    int total_ = 0;
};

void Append(std::vector<SettingId>* to, const std::vector<SettingId>& ids) {
    to->insert(to->end(), ids.begin(), ids.end());
}

}  // namespace

int RestoreStepCount(size_t planSize, bool snapshot, bool store) {
    return 1 + (snapshot ? 1 : 0) + static_cast<int>(planSize) + 1 + (store ? 1 : 0);
}

RestoreResult RunRestoreProcedure(const RestoreOrder& order, RestoreLink& link,
                                  const RestoreProgress& progress) {
    RestoreResult result;
    Steps steps(progress, result);
    const auto end = [&result](RestoreEnd how, ClientOutcome outcome = {}) {
        result.end = how;
        result.outcome = std::move(outcome);
        return result;
    };

    SettingsFile file;
    std::string problem;
    if (!ParseRestoreFile(order.name, order.text, &file, &problem)) {
        result.problems.push_back(problem);
        return end(RestoreEnd::kBadFile);
    }

    steps.Begin("connecting and reading the settings");
    if (const ClientOutcome opened = link.Open(); !opened.Ok()) {
        return end(RestoreEnd::kOpenFailed, opened);
    }
    const ControllerSettings before = link.Settings();
    if (!SuitsController(order.name, file, before, order.selection, &problem)) {
        result.problems.push_back(problem);
        return end(RestoreEnd::kUnsuitable);
    }
    result.before = ReadSettings(before);
    result.target = RestoreTarget(before, file);
    const SettingSelection wanted = order.selection & file.present;
    result.plan = PlanRequests(result.before, result.target, wanted, before.features);
    const std::vector<PlannedRequest>& plan = result.plan;

    const bool snapshotFirst = !plan.empty() && order.snapshot;
    steps.SetTotal(RestoreStepCount(plan.size(), snapshotFirst, order.store));
    if (order.dryRun) {
        return end(RestoreEnd::kPlanned);
    }

    if (snapshotFirst) {
        steps.Begin("saving a snapshot");
        if (!order.snapshot(before, &result.snapshotPath, &problem)) {
            result.problems.push_back(problem);
            return end(RestoreEnd::kSnapshotFailed);
        }
        steps.Report({RestoreEvent::kSnapshotWritten, result.snapshotPath, 0, 0});
    }

    for (size_t i = 0; i < plan.size(); ++i) {
        steps.Begin(DescribeRequest(plan[i]));
        const ClientOutcome sent = link.Send(plan[i]);
        if (!sent.Ok()) {
            result.problems.push_back(DescribeRequest(plan[i]) + ": " + sent.message +
                                      "; the restore stopped");
            result.unconfirmed = plan[i].carries;
            for (size_t j = i + 1; j < plan.size(); ++j) {
                Append(&result.notApplied, plan[j].carries);
            }
            return end(RestoreEnd::kSendFailed, sent);
        }
        Append(&result.applied, plan[i].carries);
    }

    // A fresh connection reads everything back from the controller itself.
    steps.Begin("connecting again to check every value");
    if (const ClientOutcome closed = link.Close(); !closed.Ok()) {
        return end(RestoreEnd::kReopenFailed, closed);
    }
    if (const ClientOutcome opened = link.Open(); !opened.Ok()) {
        return end(RestoreEnd::kReopenFailed, opened);
    }
    bool taken = true;
    for (const SettingDifference& d :
         CompareWithFile(ReadSettings(link.Settings()), file, wanted)) {
        result.mismatched.push_back(d.info->id);
        if (!d.info->ReadOnly()) {
            taken = false;
            result.problems.push_back(QualifiedName(*d.info) + ": the controller reports " +
                                      FormatValueWithUnit(*d.info, d.controller) + ", not " +
                                      FormatValueWithUnit(*d.info, d.file));
        }
    }
    if (!taken) {
        result.problems.push_back("the controller did not take every value; nothing was stored");
        return end(RestoreEnd::kNotTaken);
    }
    steps.Report({RestoreEvent::kVerified, "", 0, 0});

    if (order.store) {
        steps.Begin("storing the settings in the controller");
        if (const ClientOutcome stored = link.Store(); !stored.Ok()) {
            result.problems.push_back("storing the settings failed: " + stored.message);
            return end(RestoreEnd::kStoreFailed, stored);
        }
    }
    return end(RestoreEnd::kRestored);
}

}  // namespace axistune
