#!/usr/bin/env bash
# Runs the updater against the simulated mixer. Installs what is missing for the program, builds the
# program's release configuration (without tests and benchmarks), makes private folders for the simulated
# MIDI ports, driver and registry and for the program's own settings, writes a demo firmware image and
# starts zq-simulator there. Then:
#  - with a display ($DISPLAY set): opens the updater window against the device in normal mode with an
#    old version, and prints the one command that puts the simulated device into update mode when the
#    updater's instructions ask for it; everything is cleaned up once the window closes;
#  - without one: puts the device into update mode, updates it unattended ("-SILENT") with the image, and
#    prints what the device received (bytes and CRC-32 against the image's) and the version it reports
#    after its reboot; exits non-zero when they differ.
# Usage: scripts/run.sh [--no-install]
#        scripts/run.sh --tell SOCKET COMMAND   (sends one command to a running simulator and prints the answer)
set -euo pipefail
cd "$(dirname "$0")/.."

# One line to the simulator's control socket and its one-line answer (perl's socket module is part of
# every Debian system).
tell() {
    perl -MIO::Socket::UNIX -e '
        my $s = IO::Socket::UNIX->new(Type => SOCK_STREAM(), Peer => $ARGV[0]) or die "cannot reach $ARGV[0]: $!\n";
        print $s "$ARGV[1]\n";
        my $line = <$s>;
        print defined $line ? $line : "\n";' "$1" "$2"
}

if [ "${1:-}" = "--tell" ]; then
    [ $# -eq 3 ] || { echo "usage: scripts/run.sh --tell SOCKET COMMAND" >&2; exit 2; }
    tell "$2" "$3"
    exit 0
fi

install=1
for arg in "$@"; do
    case "$arg" in
    --no-install) install=0 ;;
    *) echo "unknown option: $arg" >&2; exit 2 ;;
    esac
done

((install)) && bash scripts/install-deps.sh --program

old_version=1.1.5.7
new_version=1.2.0.1
build=build/program
updater=q3300-splen-updater

echo "== Building (the program's release configuration)"
cmake --preset program >/dev/null
if ! grep -q "^build $updater:" "$build/build.ninja"; then
    echo "run.sh: this tree has no $updater target yet (the updater application is missing)" >&2
    exit 1
fi
cmake --build --preset program -j "$(nproc)" --target zq-simulator "$updater"

# Private folders: nothing of the user's own MIDI ports, registry or settings is touched.
root=$(mktemp -d "${TMPDIR:-/tmp}/zq-run.XXXXXX")
export ZQ_MIDI_DIR="$root/midi" ZQ_DRIVER_DIR="$root/driver" ZQ_REGISTRY_ROOT="$root/registry"
export ZQ_SIMULATOR_SOCKET="$root/midi/zq-simulator.sock"
export XDG_RUNTIME_DIR="$root/runtime" XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data"
export XDG_STATE_HOME="$root/state" XDG_CACHE_HOME="$root/cache"
mkdir -p "$ZQ_MIDI_DIR" "$ZQ_DRIVER_DIR" "$ZQ_REGISTRY_ROOT" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" \
    "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME"
chmod 700 "$XDG_RUNTIME_DIR"

simulator_pid=""
cleanup() {
    if [ -n "$simulator_pid" ] && kill -0 "$simulator_pid" 2>/dev/null; then
        kill -TERM "$simulator_pid" 2>/dev/null || true
        wait "$simulator_pid" 2>/dev/null || true
    fi
    rm -rf "$root"
}
trap cleanup EXIT

# A demo image: one SysEx message of 4096 bytes (F0, data bytes, F7); the simulator takes an image that
# ends in F7 as complete and reboots with the new version after it.
image="$root/files/Demo Firmware.syx"
mkdir -p "$root/files"
perl -e 'binmode STDOUT; print "\xF0", (map { chr(($_ * 37 + 11) & 0x7F) } 1 .. 4094), "\xF7"' >"$image"
image_size=$(stat -c %s "$image")
# CRC-32 (reflected, 0xEDB88320) in eight upper-case hex digits, as the simulator reports it.
image_crc=$(perl -e '
    binmode STDIN; local $/; my $data = <STDIN>; my $crc = 0xFFFFFFFF;
    for my $byte (unpack "C*", $data) {
        $crc ^= $byte;
        $crc = ($crc & 1) ? (($crc >> 1) ^ 0xEDB88320) : ($crc >> 1) for 1 .. 8;
    }
    printf "%08X", $crc ^ 0xFFFFFFFF;' <"$image")

# Starts the simulator with the options and waits for its control socket.
start_simulator() {
    "$build/zq-simulator" --version "$old_version" --new-version "$new_version" --reboot-delay 500 "$@" \
        >"$root/simulator.log" 2>&1 &
    simulator_pid=$!
    for _ in $(seq 1 300); do
        if grep -q "^control socket: " "$root/simulator.log" 2>/dev/null; then
            return 0
        fi
        kill -0 "$simulator_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "run.sh: the simulator did not start:" >&2
    cat "$root/simulator.log" >&2
    exit 1
}

if [ -n "${DISPLAY:-}" ]; then
    start_simulator
    echo "== The simulated mixer runs in normal mode with firmware $old_version (new image: $image)."
    echo "   When the updater asks you to put the mixer into update mode, run in another terminal:"
    echo "     bash scripts/run.sh --tell '$ZQ_SIMULATOR_SOCKET' 'mode update'"
    echo "== Opening the updater; close its window to end."
    status=0
    "$build/$updater" "-ABSOLUTE_FIRMWARE_FILE_PATH=$image" || status=$?
    echo "== The updater ended with exit code $status; the simulator now says: $(tell "$ZQ_SIMULATOR_SOCKET" status)"
    exit 0
fi

echo "== No display: updating the simulated mixer unattended"
start_simulator --update-mode
status=0
timeout 600 "$build/$updater" -SILENT "-ABSOLUTE_FIRMWARE_FILE_PATH=$image" || status=$?
echo "updater exit code: $status"

received=$(tell "$ZQ_SIMULATOR_SOCKET" firmware)
read -r answer received_size received_crc <<<"$received"
echo "image:    $image_size bytes, CRC-32 $image_crc"
echo "received: ${received_size:-?} bytes, CRC-32 ${received_crc:-?} ($answer)"

version=""
for _ in $(seq 1 300); do
    state=$(tell "$ZQ_SIMULATOR_SOCKET" status)
    if [[ "$state" == *" mode=normal "* ]]; then
        version=$(sed -n 's/.* version=\([^ ]*\).*/\1/p' <<<"$state")
        [ "$version" = "$new_version" ] && break
    fi
    sleep 0.1
done
echo "device version after the reboot: ${version:-none} (expected $new_version)"

if [ "$answer" != "OK" ] || [ "$received_size" != "$image_size" ] || [ "$received_crc" != "$image_crc" ] ||
    [ "$version" != "$new_version" ]; then
    echo "run.sh: the device did not receive the image or did not come back with the new version" >&2
    exit 1
fi
echo "== The simulated mixer took the whole image and now runs firmware $version."
