# Sourced by the test and play scripts: starts the servers the tests need.
#
# start_test_services: when DISPLAY is unset and Xvfb is installed, starts a
# virtual X server on a free display and exports DISPLAY; starts a private
# message bus (anyone may own any name, as tests stand in for device
# services on it) and exports it as both the system and the session bus;
# starts a private sound server with a null sink (scripts/pulse-test-server)
# and exports its socket as PULSE_SERVER.
# stop_test_services: stops what start_test_services started, nothing else.
#
# Neither ever fails: a server that cannot start is reported on standard
# error and left out, so tests that do not need it still run.

_lumbra_services_dir=""
_lumbra_xvfb_pid=""
_lumbra_dbus_pid=""
_lumbra_pulse_pid=""

# Waits up to about 10 s for file $1 to be non-empty.
_lumbra_wait_for_file() {
  local tries=0
  while [ ! -s "$1" ] && [ "$tries" -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  [ -s "$1" ]
}

_lumbra_start_xvfb() {
  if [ -n "${DISPLAY:-}" ] || ! command -v Xvfb >/dev/null 2>&1; then
    return 0
  fi
  # -displayfd lets the server pick a free display and report it when ready.
  local displayfile="$_lumbra_services_dir/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$displayfile" >"$_lumbra_services_dir/xvfb.log" 2>&1 &
  _lumbra_xvfb_pid=$!
  if _lumbra_wait_for_file "$displayfile"; then
    export DISPLAY=":$(head -n 1 "$displayfile")"
  else
    echo "services: Xvfb did not start; tests needing X11 will fail" >&2
    kill "$_lumbra_xvfb_pid" 2>/dev/null || true
    _lumbra_xvfb_pid=""
  fi
}

_lumbra_start_dbus() {
  if ! command -v dbus-daemon >/dev/null 2>&1; then
    echo "services: dbus-daemon not found; tests needing D-Bus will fail" >&2
    return 0
  fi
  local config="$_lumbra_services_dir/bus.conf"
  cat >"$config" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$_lumbra_services_dir</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
  local address pid
  if { read -r address && read -r pid; } < <(dbus-daemon --config-file="$config" --fork \
      --print-address=1 --print-pid=1 2>"$_lumbra_services_dir/dbus.log") \
      && [ -n "$address" ] && [ -n "$pid" ]; then
    _lumbra_dbus_pid="$pid"
    export DBUS_SYSTEM_BUS_ADDRESS="$address"
    export DBUS_SESSION_BUS_ADDRESS="$address"
  else
    echo "services: private message bus did not start; tests needing D-Bus will fail" >&2
  fi
}

_lumbra_start_pulse() {
  if ! command -v pulseaudio >/dev/null 2>&1; then
    echo "services: pulseaudio not found; tests needing a sound server are skipped" >&2
    return 0
  fi
  local dir="$_lumbra_services_dir/pulse" tries=0
  # The server may run as its own user: it must reach its folder.
  chmod 711 "$_lumbra_services_dir"
  "$(dirname "${BASH_SOURCE[0]}")/pulse-test-server" "$dir" >"$_lumbra_services_dir/pulse.log" 2>&1 &
  _lumbra_pulse_pid=$!
  while [ ! -S "$dir/native" ] && [ "$tries" -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  if [ -S "$dir/native" ]; then
    export PULSE_SERVER="unix:$dir/native"
  else
    echo "services: sound server did not start; tests needing it are skipped" >&2
    _lumbra_stop_pulse
  fi
}

_lumbra_stop_pulse() {
  if [ -n "$_lumbra_pulse_pid" ]; then
    kill "$_lumbra_pulse_pid" 2>/dev/null || true
    wait "$_lumbra_pulse_pid" 2>/dev/null || true
    _lumbra_pulse_pid=""
  fi
}

start_test_services() {
  _lumbra_services_dir="$(mktemp -d "${TMPDIR:-/tmp}/lumbra-services.XXXXXX")" || {
    echo "services: no temporary directory; starting no servers" >&2
    return 0
  }
  _lumbra_start_xvfb || true
  _lumbra_start_dbus || true
  _lumbra_start_pulse || true
  return 0
}

stop_test_services() {
  _lumbra_stop_pulse
  if [ -n "$_lumbra_dbus_pid" ]; then
    kill "$_lumbra_dbus_pid" 2>/dev/null || true
    _lumbra_dbus_pid=""
  fi
  if [ -n "$_lumbra_xvfb_pid" ]; then
    kill "$_lumbra_xvfb_pid" 2>/dev/null || true
    wait "$_lumbra_xvfb_pid" 2>/dev/null || true
    _lumbra_xvfb_pid=""
  fi
  if [ -n "$_lumbra_services_dir" ]; then
    rm -rf "$_lumbra_services_dir"
    _lumbra_services_dir=""
  fi
  return 0
}
