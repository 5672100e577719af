#pragma once

#include <windows.h>

#include "ui/dialog_host.h"

namespace axistune {

// Runs the dialog logic in real modal dialogs built from the module's templates.
class Win32DialogModule : public DialogRunner {
  public:
    explicit Win32DialogModule(HINSTANCE instance) : instance_(instance) {}

    // A dialog without owner (the main window).
    intptr_t RunModal(int templateId, DialogLogic& logic) override;
    // -1 when the dialog could not be created.
    intptr_t RunModal(int templateId, DialogLogic& logic, HWND owner);

    HINSTANCE Instance() const { return instance_; }

    // The main window's system menu offers "Night mode" (Ctrl+N works in every dialog anyway).
    void OfferNightModeItem() { nightModeItem_ = true; }
    bool OffersNightModeItem() const { return nightModeItem_; }

  private:
    HINSTANCE instance_;
    bool nightModeItem_ = false;
};

}  // namespace axistune
