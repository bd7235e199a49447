# Process helpers the benchmark scripts share (sourced, not run).

# The process and all its descendants (a program and its browser processes).
tree_pids() {  # PID
  local pids=("$1") i=0 p
  while [ $i -lt ${#pids[@]} ]; do
    for p in $(pgrep -P "${pids[$i]}"); do pids+=("$p"); done
    i=$((i + 1))
  done
  echo "${pids[@]}"
}

# The log viewers started from the quill_pane in that folder (the client's
# copy), and no other run's.
own_viewers() {  # FOLDER
  local p
  for p in $(pgrep -x quill_pane 2>/dev/null); do
    [ "$(readlink "/proc/$p/exe" 2>/dev/null)" = "$1/quill_pane" ] && echo "$p"
  done
}

# Asks a process to end, and ends it after 5 s if it has not.
stop_pid() {  # PID (nothing when empty)
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null
  for _ in $(seq 1 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
