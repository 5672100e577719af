#!/bin/sh
# Builds a small tree with the real allowed order and one file per forbidden direction, direct
# or through an allowed header, and expects the check to name each of them (and to pass once
# they are gone).
set -u
repo=$1 tree=$2
rm -rf "$tree"
mkdir -p "$tree/src/link" "$tree/src/ui" "$tree/src/core" "$tree/src/app" "$tree/src/platform" \
  "$tree/sim" "$tree/scripts"
cp "$repo/src/include-order.txt" "$tree/src/"
printf '#include "link/frame_sink.h"\n#include "core/status_codes.h"\n' >"$tree/src/link/ok.cpp"
printf '#include "engine/telescope_control.h"\n' >"$tree/src/link/up.cpp"
printf '#include "platform/lock.h"\n' >"$tree/src/ui/platform.h"
printf '#include "core/status_codes.h"\n' >"$tree/sim/core.cpp"
printf '#include "app/session.h"\n' >"$tree/src/core/app.h"
# ui may use the mailbox header, but not the platform header the mailbox's own header includes.
printf '#include "platform/lock.h"\n' >"$tree/src/app/app_model.h"
printf '#include "core/status_codes.h"\n' >"$tree/src/platform/lock.h"
: >"$tree/src/core/status_codes.h"
printf '#include "app/app_model.h"\n' >"$tree/src/ui/mailbox.h"
printf '#include "mailbox.h"\n' >"$tree/src/ui/window.cpp"
chain='src/ui/mailbox.h -> src/app/app_model.h -> src/platform/lock.h'

out=$(python3 "$repo/scripts/check-include-order.py" "$tree")
status=$?
failed=0
[ "$status" -eq 1 ] || { echo "expected exit 1, got $status"; failed=1; }
for offence in 'src/link/up.cpp:1' 'src/ui/platform.h:1' 'sim/core.cpp:1' 'src/core/app.h:1'; do
  printf '%s\n' "$out" | grep -q "^$offence: " || { echo "not reported: $offence"; failed=1; }
done
printf '%s\n' "$out" | grep -qF "src/ui/mailbox.h: reaches \"platform/lock.h\" through $chain," ||
  { echo "not reported: $chain"; failed=1; }
# window.cpp reaches it only through mailbox.h, whose own line says so.
[ "$(printf '%s\n' "$out" | grep -c 'platform/lock.h')" -eq 2 ] ||
  { echo "expected platform/lock.h in two lines (ui/platform.h, ui/mailbox.h)"; failed=1; }
printf '%s\n' "$out" | grep -q 'src/link/ok.cpp' && { echo "reported an allowed include"; failed=1; }

rm "$tree/src/link/up.cpp" "$tree/src/ui/platform.h" "$tree/sim/core.cpp" "$tree/src/core/app.h"
printf '#include "core/status_codes.h"\n' >"$tree/src/app/app_model.h"
python3 "$repo/scripts/check-include-order.py" "$tree" >/dev/null || { echo "clean tree failed"; failed=1; }
[ "$failed" -eq 0 ] && echo "include order check: every offence reported"
exit "$failed"
