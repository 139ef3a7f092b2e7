#!/usr/bin/env bash
# with-udisks.sh COMMAND...: runs COMMAND on a private message bus of its own, which it sees as
# its system bus, with the desktop's disk service played by python3-dbusmock and
# udisks2_template.py beside this script. Exits 77, which CTest counts as skipped, when
# dbus-run-session or python3-dbusmock is not installed.
here=$(cd "$(dirname "$0")" && pwd)
# The distribution's Python, which has python3-dbusmock, whatever python3 is first on PATH.
python=/usr/bin/python3
if ! command -v dbus-run-session >/dev/null || ! "$python" -c 'import dbusmock' 2>/dev/null; then
    echo "with-udisks.sh: dbus-run-session or python3-dbusmock is not installed; skipped"
    exit 77
fi
exec dbus-run-session -- bash -c '
    python=$0 template=$1
    shift
    export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
    "$python" -m dbusmock --session --template "$template" >/dev/null 2>&1 &
    mock=$!
    # Ready once the service has its name on the bus.
    for i in $(seq 100); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.UDisks2 2>/dev/null |
            grep -q "boolean true" && break
        sleep 0.1
    done
    "$@"
    status=$?
    kill $mock 2>/dev/null
    wait $mock 2>/dev/null
    exit $status' "$python" "$here/udisks2_template.py" "$@"
