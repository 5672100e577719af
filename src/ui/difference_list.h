#pragma once

#include <vector>

#include "core/restore_rules.h"
#include "ui/dialog_host.h"

namespace axistune {

// Fills a Setting / Controller / File list with differences in the command line's names and
// units ("ra.acceleration", "44"); read-only settings are marked as the command line marks them.
void ShowDifferences(DialogHost& host, int listId, const std::vector<SettingDifference>& rows);

// The differences a restore can send: those of settings the controller lets change.
std::vector<SettingDifference> RestorableDifferences(const SettingValues& controller,
                                                     const SettingsFile& file,
                                                     const SettingSelection& selection);

}  // namespace axistune
