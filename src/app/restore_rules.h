#pragma once

// The restore's rules are core words now; include core/restore_rules.h instead.
#include "core/restore_rules.h"
