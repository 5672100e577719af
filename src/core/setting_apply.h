#pragma once

#include "core/controller_settings.h"
#include "core/setting_table.h"

namespace axistune {

// The inverse of BuildRequest: what a request that went out makes the controller hold. Every
// setting the request carries (the same request and selector; advanced settings only where the
// record's `changed` bit is set) takes the value its argument sent, read back as the setting's
// record field would hold it; every other setting keeps its value.
void ApplyRequest(const PlannedRequest& executed, SettingValues* values);
// The same onto the record itself, writing only the fields the request carries.
void ApplyRequest(const PlannedRequest& executed, ControllerSettings* settings);

}  // namespace axistune
