# Sourced by the test and play scripts: starts the servers the tests need.
#
# start_test_services: starts a virtual X server on a free display and
# exports DISPLAY (a DISPLAY already set is used instead, except when every
# service is required); starts a private message bus (anyone may own any
# name, as tests stand in for device services on it) and exports it as both
# the system and the session bus; starts a private sound server with a null
# sink (scripts/pulse-test-server) and exports its socket as PULSE_SERVER;
# checks that gpsfake is there for the tests that start their own GPS daemon.
# stop_test_services: stops what start_test_services started, nothing else.
#
# The services are named x11, dbus, pulse and gpsd, as the tests' labels
# name them. LUMBRA_WITHHOLD (for example "x11" or "dbus,pulse") names
# services to leave out: they are not started and their variables are
# unset, so the tests that need them meet a missing service.
# LUMBRA_REQUIRE_SERVICES=1 (set by CI) makes a service that cannot start
# fail start_test_services, and makes the tests fail where they would skip.
# Without it a server that cannot start is reported in one line and left
# out, so the tests that do not need it still run.

_lumbra_services_dir=""
_lumbra_xvfb_pid=""
_lumbra_dbus_pid=""
_lumbra_pulse_pid=""
_lumbra_services_failed=()

_lumbra_withheld() {
  case ",${LUMBRA_WITHHOLD:-}," in
    *[,\ \|]"$1"[,\ \|]*) return 0 ;;
  esac
  return 1
}

_lumbra_services_required() {
  [ -n "${LUMBRA_REQUIRE_SERVICES:-}" ] && [ "${LUMBRA_REQUIRE_SERVICES}" != 0 ]
}

# Reports that service $1 is missing for reason $2.
_lumbra_service_missing() {
  echo "services: service $1 missing: $2" >&2
  _lumbra_services_failed+=("$1")
}

# Waits up to about 10 s until the test `$@` holds; the tests have only a
# file to watch for here, and the shell nothing to wait on it with.
_lumbra_wait_until() {
  local tries=0
  until "$@"; do
    [ "$tries" -ge 100 ] && return 1
    sleep 0.1
    tries=$((tries + 1))
  done
}

_lumbra_start_xvfb() {
  if _lumbra_withheld x11; then
    echo "services: x11 withheld (LUMBRA_WITHHOLD); DISPLAY unset" >&2
    unset DISPLAY
    return 0
  fi
  if [ -n "${DISPLAY:-}" ] && ! _lumbra_services_required; then
    return 0
  fi
  if ! command -v Xvfb >/dev/null 2>&1; then
    unset DISPLAY
    _lumbra_service_missing x11 "Xvfb is not installed"
    return 0
  fi
  # -displayfd lets the server pick a free display and report it when ready;
  # -noreset keeps it from resetting whenever its last client goes, when a
  # test connecting at that moment would be refused.
  local displayfile="$_lumbra_services_dir/display"
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp \
    3>"$displayfile" >"$_lumbra_services_dir/xvfb.log" 2>&1 &
  _lumbra_xvfb_pid=$!
  if _lumbra_wait_until test -s "$displayfile"; then
    export DISPLAY=":$(head -n 1 "$displayfile")"
  else
    kill "$_lumbra_xvfb_pid" 2>/dev/null || true
    _lumbra_xvfb_pid=""
    unset DISPLAY
    _lumbra_service_missing x11 "Xvfb named no display within 10 s (see its log: $(tail -n 1 "$_lumbra_services_dir/xvfb.log" 2>/dev/null))"
  fi
}

_lumbra_start_dbus() {
  if _lumbra_withheld dbus; then
    echo "services: dbus withheld (LUMBRA_WITHHOLD); bus addresses unset" >&2
    unset DBUS_SYSTEM_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS
    return 0
  fi
  if ! command -v dbus-daemon >/dev/null 2>&1; then
    _lumbra_service_missing dbus "dbus-daemon is not installed"
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
  # --fork returns once the bus listens: its address is then ready.
  if { read -r address && read -r pid; } < <(dbus-daemon --config-file="$config" --fork \
      --print-address=1 --print-pid=1 2>"$_lumbra_services_dir/dbus.log") \
      && [ -n "$address" ] && [ -n "$pid" ]; then
    _lumbra_dbus_pid="$pid"
    export DBUS_SYSTEM_BUS_ADDRESS="$address"
    export DBUS_SESSION_BUS_ADDRESS="$address"
  else
    _lumbra_service_missing dbus "the private message bus did not start ($(tail -n 1 "$_lumbra_services_dir/dbus.log" 2>/dev/null))"
  fi
}

_lumbra_start_pulse() {
  if _lumbra_withheld pulse; then
    echo "services: pulse withheld (LUMBRA_WITHHOLD); PULSE_SERVER unset" >&2
    unset PULSE_SERVER
    return 0
  fi
  if ! command -v pulseaudio >/dev/null 2>&1; then
    _lumbra_service_missing pulse "pulseaudio is not installed"
    return 0
  fi
  local dir="$_lumbra_services_dir/pulse"
  # The server may run as its own user: it must reach its folder.
  chmod 711 "$_lumbra_services_dir"
  "$(dirname "${BASH_SOURCE[0]}")/pulse-test-server" "$dir" >"$_lumbra_services_dir/pulse.log" 2>&1 &
  _lumbra_pulse_pid=$!
  if _lumbra_wait_until test -S "$dir/native"; then
    export PULSE_SERVER="unix:$dir/native"
  else
    _lumbra_stop_pulse
    _lumbra_service_missing pulse "the sound server made no socket within 10 s ($(tail -n 1 "$_lumbra_services_dir/pulse.log" 2>/dev/null))"
  fi
}

# The GPS tests start a daemon of their own through gpsfake.
_lumbra_check_gpsd() {
  if _lumbra_withheld gpsd; then
    echo "services: gpsd withheld (LUMBRA_WITHHOLD)" >&2
  elif ! command -v gpsfake >/dev/null 2>&1; then
    _lumbra_service_missing gpsd "gpsfake is not installed"
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
  _lumbra_services_failed=()
  _lumbra_services_dir="$(mktemp -d "${TMPDIR:-/tmp}/lumbra-services.XXXXXX")" || {
    echo "services: no temporary directory; starting no servers" >&2
    return 1
  }
  _lumbra_start_xvfb
  _lumbra_start_dbus
  _lumbra_start_pulse
  _lumbra_check_gpsd
  if [ ${#_lumbra_services_failed[@]} -gt 0 ] && _lumbra_services_required; then
    echo "services: LUMBRA_REQUIRE_SERVICES is set and ${_lumbra_services_failed[*]} could not start" >&2
    return 1
  fi
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
