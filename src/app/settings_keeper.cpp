#include "app/settings_keeper.h"

#include <utility>

#include "app/history_switch.h"
#include "app/settings_file_of.h"
#include "app/state_files.h"
#include "app/utc_time.h"
#include "core/restore_rules.h"
#include "core/status_codes.h"

namespace axistune {

namespace {

KeptBecause KeptBecauseOf(HistoryReason reason) {
    switch (reason) {
        case HistoryReason::kConnected:
            return KeptBecause::kConnected;
        case HistoryReason::kBeforeReload:
            return KeptBecause::kBeforeReload;
        case HistoryReason::kBeforeStore:
            return KeptBecause::kBeforeStore;
        case HistoryReason::kBeforeRestore:
            break;
    }
    return KeptBecause::kBeforeRestore;
}

KeptEntry KeptEntryOf(const HistoryEntry& entry) {
    KeptEntry kept;
    kept.fileName = entry.fileName;
    kept.path = entry.path;
    kept.byHistory = entry.writtenByHistory;
    kept.reason = KeptBecauseOf(entry.reason);
    kept.port = entry.port;
    kept.takenUtc = entry.takenUtc;
    kept.readable = entry.readable;
    kept.settings = entry.settings;
    kept.error = entry.error;
    return kept;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

RestoreNews NewsOf(const RestoreReport& report) {
    RestoreNews news;
    if (report.kind == RestoreReport::kProgress) {
        switch (report.event.kind) {
            case RestoreEvent::kStep:
                news.step = report.event.text;
                break;
            case RestoreEvent::kSnapshotWritten:
                news.step = "The settings before the restore are kept in " + report.event.text;
                break;
            case RestoreEvent::kVerified:
                news.step = "The controller reports the file's values";
                break;
        }
        return news;
    }
    const RestoreResult& result = report.result;
    news.finished = true;
    news.succeeded = result.Ok();
    news.message = JoinLines(result.problems);
    news.applied = result.applied;
    news.unconfirmed = result.unconfirmed;
    news.notApplied = result.notApplied;
    return news;
}

}  // namespace

SettingsKeeper::SettingsKeeper(std::string folder, const PortCatalogue* ports)
    : history_(std::move(folder)), ports_(ports), writer_(history_, nullptr), runner_([this] {
          std::lock_guard<std::mutex> guard(lock_);
          if (window_ != nullptr) {
              window_->PostEvent(kRestoreNewsPost, 0);
          }
      }) {}

SettingsKeeper::~SettingsKeeper() {
    Stop();
}

void SettingsKeeper::Attach(std::shared_ptr<EngineClient> client, EventPoster* window) {
    std::lock_guard<std::mutex> guard(lock_);
    client_ = std::move(client);
    window_ = window;
}

void SettingsKeeper::Stop() {
    runner_.Stop(RestoreRunner::kStopWaitMs);
    writer_.Stop(HistoryWriter::kStopWaitMs);
    std::lock_guard<std::mutex> guard(lock_);
    window_ = nullptr;
    client_ = nullptr;
}

std::string SettingsKeeper::PortName() const {
    std::lock_guard<std::mutex> guard(lock_);
    const std::string name = ports_ != nullptr ? ports_->Name(port_) : std::string();
    return name.empty() ? PortCatalogue::DefaultName(port_) : name;
}

void SettingsKeeper::Submit(HistoryReason reason, const ControllerSettings& settings) {
    // A full queue or a stopped writer is left to LastFailure, which the history dialog shows.
    static_cast<void>(
        writer_.Submit(reason, PortName(), SettingsFileOf(settings, IsoUtc(UtcNowSeconds()))));
}

void SettingsKeeper::Connecting(uint8_t port, uint32_t baudRate) {
    std::lock_guard<std::mutex> guard(lock_);
    port_ = port;
    baudRate_ = baudRate;
}

void SettingsKeeper::OnSettings(const ControllerSettings* settings, int32_t kind) {
    held_.OnSettingsRead(settings);
    // A controller the window refuses (too old a firmware) is no connection to keep.
    if (settings != nullptr && kind == kSettingsConnected && !runner_.Running()) {
        Submit(HistoryReason::kConnected, *settings);
    }
}

void SettingsKeeper::KeepHeld(HistoryReason reason) {
    const HeldSettings::Snapshot now = held_.Now();
    // A stale record was written before the reload that made it stale.
    if (now.state == HeldSettings::State::kCurrent) {
        Submit(reason, now.settings);
    }
}

void SettingsKeeper::OnSettingsChangeSent(const PlannedRequest& sent) {
    held_.OnSettingsChangeSent(sent);
}

void SettingsKeeper::OnReloadDefaultsSent() {
    KeepHeld(HistoryReason::kBeforeReload);
    held_.OnReloadDefaultsSent();
}

void SettingsKeeper::OnStoreSettingsSent() {
    KeepHeld(HistoryReason::kBeforeStore);
}

bool SettingsKeeper::HeldNow(ControllerSettings* settings) const {
    const HeldSettings::Snapshot now = held_.Now();
    if (now.state == HeldSettings::State::kUnknown) {
        return false;
    }
    *settings = now.settings;
    return true;
}

bool SettingsKeeper::Examine(const std::string& path, SettingsFile* file,
                             std::string* message) const {
    std::string text;
    std::string error;
    if (!ReadSmallFile(path, kHistoryFileLimit, &text, &error)) {
        *message = path + ": " + error;
        return false;
    }
    if (!ParseRestoreFile(path, text, file, message)) {
        return false;
    }
    ControllerSettings connected;
    // No selection: only what no choice of settings can mend (the hardware type).
    return !HeldNow(&connected) ||
           SuitsController(path, *file, connected, SettingSelection(), message);
}

bool SettingsKeeper::Backup(const std::string& path, std::string* message) {
    const HeldSettings::Snapshot now = held_.Now();
    if (now.state != HeldSettings::State::kCurrent) {
        *message = now.state == HeldSettings::State::kUnknown
                       ? "nothing has been read from the controller yet"
                       : "the controller's settings are being read again after the reload";
        return false;
    }
    return WriteFileAtomically(
        path, WriteSettingsFile(SettingsFileOf(now.settings, IsoUtc(UtcNowSeconds()))), message);
}

KeptHistory SettingsKeeper::History() const {
    KeptHistory kept;
    kept.folder = history_.Folder();
    kept.automatic = history_.Automatic();
    const HistoryListing listing = history_.List();
    for (const HistoryEntry& entry : listing.entries) {
        kept.entries.push_back(KeptEntryOf(entry));
    }
    kept.problem = !listing.error.empty() ? listing.error : writer_.LastFailure();
    return kept;
}

bool SettingsKeeper::Remove(const std::string& fileName, std::string* message) {
    return history_.Remove(fileName, message);
}

bool SettingsKeeper::SetAutomatic(bool on, std::string* message) {
    return history_.SetAutomatic(on, message);
}

bool SettingsKeeper::StartRestore(const std::string& path, const SettingSelection& selection,
                                  std::string* message) {
    WindowRestoreOrder order;
    order.path = path;
    order.selection = selection;
    order.historyFolder = history_.Folder();
    order.portName = PortName();
    std::shared_ptr<EngineClient> client;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (port_ == 0) {
            *message = "connect to the controller first";
            return false;
        }
        order.port = port_;
        order.baudRate = baudRate_;
        client = client_;
    }
    return runner_.Start(std::move(client), std::move(order), message);
}

bool SettingsKeeper::Restoring() const {
    return runner_.Running();
}

std::vector<RestoreNews> SettingsKeeper::DrainRestoreNews() {
    std::vector<RestoreNews> news;
    for (const RestoreReport& report : runner_.Drain()) {
        news.push_back(NewsOf(report));
    }
    return news;
}

}  // namespace axistune
