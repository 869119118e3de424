#!/usr/bin/env bash
# Profiles the instructions that the samples, the end-to-end cases and the
# vs-lua benchmarks execute (mcbrun --profile-ops) and prints the merged
# most frequent single instructions, pairs and triples.
#   bench/profile-ops.sh BUILD_DIR [TOP] [KEEP_DIR]
# Each program's counts become shares of the instructions it ran; a group's
# share is the mean over its programs, and the score the mean over the three
# groups, so that neither the long benchmarks nor the many small cases
# decide alone. Columns: score, the three groups' shares, the number of
# programs that ran the sequence, the sum of the raw counts. TOP lines of
# each kind (default 25). The per-program profiles stay in KEEP_DIR when
# given. A sample with recorded replays (samples/*/replays, built into
# BUILD_DIR) is played by the player from each record, offscreen and without
# waits (mcbplayer --replay --profile-ops), each record one program: real
# gameplay. It needs the system message bus; without DBUS_SYSTEM_BUS_ADDRESS
# a private one is started (scripts/services.sh). A sample without replays
# runs under mcbrun for SAMPLE_MS (default 3000) and is stopped by the time
# limit: its start-up and idle ticks. End-to-end cases run with their own
# run-args; those that cannot run here (a missing image) add nothing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: profile-ops.sh BUILD_DIR [TOP] [KEEP_DIR]}" && pwd)"
top="${2:-25}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
profiles="${3:-$work/profiles}"
mkdir -p "$profiles"

profile() { # GROUP NAME DIR IMAGE ARGS...: one profiled run in DIR
  local group=$1 name=$2 dir=$3 image=$4
  shift 4
  (cd "$dir" && "$build/mcbrun" --profile-ops="$profiles/$group.$name.txt" --profile-top 0 "$@" "$image" \
     >/dev/null 2>&1) || true
}

for source in "$root"/bench/vs-lua/*.s; do
  name=$(basename "$source" .s)
  mkdir -p "$work/bench/$name"
  "$build/mcbasm" "$source" -o "$work/bench/$name/index.mcb" >/dev/null
  profile bench "$name" "$work/bench/$name" index.mcb
done

for source in "$root"/tests/e2e/cases/*.s; do
  name=$(basename "$source" .s)
  mkdir -p "$work/e2e/$name"
  "$build/mcbasm" "$source" -o "$work/e2e/$name/index.mcb" >/dev/null 2>&1 || continue
  read -r -a args <<<"$(sed -n 's/^; run-args: //p' "$source" | head -1)"
  profile e2e "$name" "$work/e2e/$name" index.mcb --time-limit 10000 "${args[@]}"
done

replay_profile() { # NAME RECORD: the player replaying RECORD
  (QT_QPA_PLATFORM=offscreen timeout 300 "$build/mcbplayer" --replay "$2" --replay-fast \
     --profile-ops="$profiles/samples.$1.txt" --profile-top 0 >/dev/null 2>&1) || {
    echo "profile-ops: the replay of $2 failed; it adds nothing" >&2
    rm -f "$profiles/samples.$1.txt"
  }
}

for app in "$build"/samples/*/; do
  name=$(basename "$app")
  [ -f "$app/index.mcb" ] || continue
  records=()
  [ -d "$app/replays" ] && mapfile -t records < <(find "$app/replays" -name app -prune -o -name '*.mcbrec' -print | sort)
  if [ ${#records[@]} -eq 0 ]; then
    cp -r "$app" "$work/sample-$name"
    profile samples "$name" "$work/sample-$name" index.mcb --time-limit "${SAMPLE_MS:-3000}"
    continue
  fi
  if [ -z "${DBUS_SYSTEM_BUS_ADDRESS:-}" ] && [ -z "${services_started:-}" ]; then
    source "$root/scripts/services.sh"
    LUMBRA_WITHHOLD=x11,pulse start_test_services >/dev/null 2>&1 || true
    trap 'stop_test_services; rm -rf "$work"' EXIT
    services_started=1
  fi
  for record in "${records[@]}"; do
    replay_profile "$name-$(basename "$record" .mcbrec)" "$record"
  done
done

awk -v merged="$work/merged" '
  FNR == 1 { split(FILENAME, path, "/"); split(path[length(path)], part, "."); group = part[1]; total = 0 }
  /^profile: [0-9]+ instructions run/ {
    total = $2
    if (total > 0) programs[group]++
    next
  }
  /^profile: (single|pair|triple) / && total > 0 {
    kind = $2; count = $3
    sequence = $0; sub(/^profile: [a-z]+ [0-9]+ [0-9.]+% /, "", sequence)
    key = kind SUBSEP sequence
    share[key, group] += count / total
    raw[key] += count
    seen[key]++
    keys[key] = 1
  }
  END {
    n = split("bench e2e samples", groups, " ")
    for (key in keys) {
      score = 0
      for (g = 1; g <= n; g++) if (programs[groups[g]] > 0) score += share[key, groups[g]] / programs[groups[g]]
      score /= n
      split(key, k, SUBSEP)
      line = sprintf("%9.4f%%", 100 * score)
      for (g = 1; g <= n; g++)
        line = line sprintf(" %8.4f%%", programs[groups[g]] > 0 ? 100 * share[key, groups[g]] / programs[groups[g]] : 0)
      printf "%s\t%s %4d %13d  %s\n", k[1], line, seen[key], raw[key], k[2] > merged
    }
    printf "programs profiled: %d benchmarks, %d e2e cases, %d samples\n", programs["bench"], programs["e2e"], programs["samples"]
  }' "$profiles"/*.txt

for kind in single pair triple; do
  echo
  echo "${kind}s: score = mean over the groups of the mean share in a group's programs"
  printf '%10s %9s %9s %9s %4s %13s  %s\n' score bench e2e samples runs count sequence
  grep "^$kind	" "$work/merged" | sort -t $'\t' -k2,2gr | head -n "$top" | cut -f2-
done
