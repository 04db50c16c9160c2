#!/usr/bin/env bash
# The fleet test: the example playbook configures three "rooms" on this machine, each a data
# folder and a simulated unit at 115200 baud, one of them refusing a block. The first run must
# report two rooms configured and one failed with the unit's message; the second run must find
# the two unchanged and change nothing there.
#   tests/fleet/run.sh [BUILD_DIR]
# With KETREL_FLEET_DEB=path/to/ketrel.deb (and root) the playbook also installs the package.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$(cd "${1:-build}" && pwd)
command -v ansible-playbook >/dev/null || { echo "fleet: ansible-playbook is missing (scripts/install-deps.sh)" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

sim="$build/tools/unitsim/ketrel-unitsim"
for n in 1 2 3; do
    # Room 3's unit refuses the fourth block of every write.
    faults=""
    [ "$n" = 3 ] && faults="fault error-at-block 3"
    printf '%s\n' "$faults" | "$sim" --link "$work/unit$n" >"$work/sim$n.log" 2>&1 &
    pids+=($!)
done
for n in 1 2 3; do
    for _ in $(seq 50); do [ -e "$work/unit$n" ] && break; sleep 0.1; done
    [ -e "$work/unit$n" ] || { echo "fleet: simulated unit $n did not start" >&2; cat "$work/sim$n.log" >&2; exit 1; }
done

# The rooms' configuration: the supplied database as `ketrel export` writes it.
mkdir -p "$work/seed" "$work/rooms"
cp "$build/src/app/CONFIG" "$work/seed/CONFIG"
"$build/src/app/ketrel" --dir "$work/seed" export "$work/rooms/standard.json" >/dev/null

cat >"$work/inventory.ini" <<INI
[classrooms]
room1 ketrel_port=$work/unit1 ketrel_data_dir=$work/room1
room2 ketrel_port=$work/unit2 ketrel_data_dir=$work/room2
room3 ketrel_port=$work/unit3 ketrel_data_dir=$work/room3

[classrooms:vars]
ansible_connection=local
ansible_python_interpreter=/usr/bin/python3
ketrel_bin=$build/src/app/ketrel
ketrel_supplied_dir=$build/src/app
ketrel_room_file=$work/rooms/standard.json
INI
extra=()
if [ -n "${KETREL_FLEET_DEB:-}" ]; then
    extra=(-e "ketrel_deb=$KETREL_FLEET_DEB" -e ketrel_bin=/usr/bin/ketrel -e ketrel_supplied_dir=/usr/share/ketrel)
fi

export ANSIBLE_NOCOLOR=1 ANSIBLE_LOCAL_TEMP="$work/ansible-tmp" ANSIBLE_REMOTE_TEMP="$work/ansible-tmp" \
    ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_HOST_KEY_CHECKING=0 ANSIBLE_FORKS=3
play() {  # run number
    ansible-playbook -i "$work/inventory.ini" "$root/deploy/ansible/site.yml" \
        -e "ketrel_report_file=$work/report$1.json" "${extra[@]}" >"$work/play$1.log" 2>&1 || {
        cat "$work/play$1.log" >&2
        echo "fleet: run $1 of the playbook failed" >&2
        exit 1
    }
    echo "fleet: report of run $1:"
    cat "$work/report$1.json"
}

check() {  # run number, expected status of room1 room2 room3
    python3 - "$work/report$1.json" "$work/play$1.log" "$2" "$3" "$4" <<'PY'
import json, re, sys
report = {r["room"]: r for r in json.load(open(sys.argv[1]))}
log = open(sys.argv[2]).read()
want = dict(zip(["room1", "room2", "room3"], sys.argv[3:6]))
bad = [f"{room}: {report.get(room, {}).get('status')} instead of {status}"
       for room, status in want.items() if report.get(room, {}).get("status") != status]
why = report.get("room3", {}).get("messages", [])
if not why or not why[0].startswith("写配置失败1！"):
    bad.append(f"room3 does not say why it failed: {why}")
for room, status in want.items():
    m = re.search(rf"^{room}\s*:.*changed=(\d+)", log, re.M)
    if status == "unchanged" and (not m or m.group(1) != "0"):
        bad.append(f"{room} reported unchanged but the play changed something there")
if bad:
    print(log, file=sys.stderr)
    sys.exit("fleet: " + "; ".join(bad))
PY
}

play 1
check 1 configured configured failed
play 2
check 2 unchanged unchanged failed
echo "fleet: passed (two rooms configured, one failed with its message; then two unchanged)"
