#!/usr/bin/env bash
# Runs a command in a private network namespace with only loopback up, so that nothing it does
# can reach another machine. Where the system does not allow that, runs it as it is and says so.
set -euo pipefail

export VELMAR_INTERFACES=lo
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
if [ "$(id -u)" -eq 0 ]; then unshare_flags=(-n); else unshare_flags=(-rn); fi
if unshare "${unshare_flags[@]}" true 2>/dev/null; then
  exec unshare "${unshare_flags[@]}" bash -c 'ip link set lo up && exec "$@"' isolated "$@"
fi
echo "isolated: no private network namespace here; running on the host network (loopback only by configuration)" >&2
exec "$@"
