# Helpers for end-to-end tests that need the village (jinro-village), the
# local game server. Source this file, then:
#
#   village_start SCENARIO [jinro-village options...]
#       Starts the village in manual mode with SCENARIO and waits until it
#       answers. It serves VILLAGE_BASE_URL when set (a local URL), else (or
#       when VILLAGE_FREE_PORT=1) a port the system finds free, under /jinro/
#       (or under VILLAGE_BASE_URL's path). Start the client with
#       --server-url "$VILLAGE_URL". Sets VILLAGE_PID, VILLAGE_PORT,
#       VILLAGE_URL (the base URL, ending in /), VILLAGE_ORIGIN
#       (http://127.0.0.1:PORT) and VILLAGE_LOG (the village's own output).
#   village_advance [N]           advance the game N steps (default 1)
#   village_scenario NAME         start scenario NAME afresh (the request log stays)
#   village_state                 the state as JSON
#   village_field NAME            one field of the state: phase, day, step, living,
#                                 capacity, winner, formid, requests, ...
#   village_reset_log             forget the requests received so far
#   village_requests              every request received, as JSON
#   village_request_lines         one request a line: seq TAB method TAB target TAB
#                                 body-base64 TAB headers-base64
#   village_request_count [TEXT]  how many requests had TEXT in their target
#   village_last_body [TEXT]      the body bytes of the last request whose target holds
#                                 TEXT (default cgi_jinro.cgi), raw on stdout
#   village_last_headers [TEXT]   its headers, one "Name: value" a line
#   village_get PATH              GET PATH under the base URL, raw bytes on stdout
#   village_post PATH BODY        POST BODY (form-encoded) to PATH under the base URL
#   village_stop                  stop the village (also safe when it never started)
#   village_fail_next [N] [STATUS] answer the next N in-game POSTs to cgi_jinro.cgi (default 1)
#                                 with a titled page of the server that is no game page,
#                                 with HTTP status STATUS (default 200); the game does not
#                                 see them. The state's fail_next tells how many are left.
#
# Pass --dialect 2004 to village_start for the pages of the 2004 game script;
# village_field dialect tells which the village speaks.
#
# The player of every scenario is villager no. 3 with the password "pass".
# Needs curl and base64. Every function returns non-zero on failure.

VILLAGE_PID=""
VILLAGE_PORT=""
VILLAGE_URL=""
VILLAGE_ORIGIN=""
VILLAGE_LOG=""
_VILLAGE_DIR=""

_village_bin() {
  local bin="${JINRO_VILLAGE_BIN:-${JINRO_BIN_DIR:-}/jinro-village}"
  [ -x "$bin" ] || { echo "village: no jinro-village at '$bin' (set JINRO_BIN_DIR)" >&2; return 1; }
  printf '%s\n' "$bin"
}

village_start() {
  local scenario=${1:?village_start needs a scenario}; shift
  local bin url
  bin=$(_village_bin) || return 1
  [ -n "$VILLAGE_PID" ] && village_stop
  url=${VILLAGE_BASE_URL:-}
  case "$url" in
    http://127.0.0.1:*/* | http://localhost:*/* | http://127.0.0.1/* | http://localhost/*) ;;
    *) url="" ;;
  esac
  if [ -z "$url" ] || [ "${VILLAGE_FREE_PORT:-0}" = 1 ]; then
    url="http://127.0.0.1:0/${url#http://*/}"
    [ "$url" = "http://127.0.0.1:0/" ] && url="http://127.0.0.1:0/jinro/"
  fi
  _VILLAGE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/village.XXXXXX") || return 1
  VILLAGE_LOG="$_VILLAGE_DIR/village.log"
  "$bin" --manual --scenario "$scenario" --url "$url" --port-file "$_VILLAGE_DIR/port" "$@" \
    >"$VILLAGE_LOG" 2>&1 &
  VILLAGE_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$_VILLAGE_DIR/port" ] && break
    kill -0 "$VILLAGE_PID" 2>/dev/null || break
    sleep 0.05
  done
  if [ ! -s "$_VILLAGE_DIR/port" ]; then
    echo "village: did not start:" >&2
    cat "$VILLAGE_LOG" >&2
    village_stop
    return 1
  fi
  VILLAGE_PORT=$(cat "$_VILLAGE_DIR/port")
  VILLAGE_ORIGIN="http://127.0.0.1:$VILLAGE_PORT"
  local path="/${url#http://*/}"
  VILLAGE_URL="$VILLAGE_ORIGIN$path"
  village_wait 10
}

# village_wait [SECONDS]: waits until the village answers its control path.
village_wait() {
  local deadline=$(($(date +%s) + ${1:-10}))
  until curl -fsS -o /dev/null --max-time 2 "$VILLAGE_ORIGIN/__control/state" 2>/dev/null; do
    [ "$(date +%s)" -ge "$deadline" ] && { echo "village: not answering at $VILLAGE_ORIGIN" >&2; return 1; }
    sleep 0.1
  done
}

_village_ctl() { curl -fsS --max-time 30 "$VILLAGE_ORIGIN/__control/$1"; }

village_state() { _village_ctl state; }
village_advance() { _village_ctl "advance?n=${1:-1}" >/dev/null; }
village_scenario() { _village_ctl "scenario?name=${1:?village_scenario needs a name}" >/dev/null; }
village_reset_log() { _village_ctl reset-log >/dev/null; }
village_requests() { _village_ctl requests; }
village_request_lines() { _village_ctl "requests?format=lines"; }

village_field() {
  village_state | sed -n "s/.*\"${1:?village_field needs a name}\":\(\"[^\"]*\"\|[0-9-]*\).*/\1/p" | tr -d '"'
}

village_request_count() {
  village_request_lines | awk -F '\t' -v t="${1:-}" 'index($3, t) { n++ } END { print n + 0 }'
}

_village_last_line() {
  village_request_lines | awk -F '\t' -v t="${1:-cgi_jinro.cgi}" 'index($3, t) { last = $0 } END { if (last == "") exit 1; print last }'
}

village_last_body() {
  local line
  line=$(_village_last_line "${1:-cgi_jinro.cgi}") || return 1
  printf '%s' "$line" | cut -f4 | base64 -d
}

village_last_headers() {
  local line
  line=$(_village_last_line "${1:-cgi_jinro.cgi}") || return 1
  printf '%s' "$line" | cut -f5 | base64 -d | tr -d '\r'
}

village_get() { curl -sS --max-time 30 "$VILLAGE_URL${1:-}"; }

village_post() {
  curl -sS --max-time 30 -H 'Content-Type: application/x-www-form-urlencoded' --data-binary "${2:-}" \
    "$VILLAGE_URL${1:?village_post needs a path}"
}

village_stop() {
  if [ -n "$VILLAGE_PID" ]; then
    curl -fsS -o /dev/null --max-time 2 "$VILLAGE_ORIGIN/__control/shutdown" 2>/dev/null
    local i
    for i in $(seq 1 50); do
      kill -0 "$VILLAGE_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$VILLAGE_PID" 2>/dev/null
    wait "$VILLAGE_PID" 2>/dev/null
  fi
  [ -n "$_VILLAGE_DIR" ] && rm -rf "$_VILLAGE_DIR"
  VILLAGE_PID="" VILLAGE_PORT="" VILLAGE_URL="" VILLAGE_ORIGIN="" _VILLAGE_DIR=""
  return 0
}

village_fail_next() {
  _village_ctl "fail-next?n=${1:-1}&status=${2:-200}" >/dev/null
}
