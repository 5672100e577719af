#pragma once

#include "core/advanced_settings.h"

namespace axistune {

// Where request execution takes the advanced settings that ApplyAdvanced left pending. The
// engine copies its pending words under its data lock; the protocol core itself takes no lock.
class AdvancedSource {
  public:
    virtual AdvancedSettings TakeAdvancedSnapshot() = 0;

  protected:
    ~AdvancedSource() = default;
};

}  // namespace axistune
