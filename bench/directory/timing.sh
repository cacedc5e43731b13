# The measures of the lookup comparisons, sourced by them: the median wall time of a command and
# the CPU seconds of one run, the directory server's included. The script sets `runs` (how many
# runs a median takes) and `server_pid` (the server whose CPU time counts).

# CPU seconds used so far by process $1 (user and system).
process_cpu() {
  local fields
  read -r -a fields <"/proc/$1/stat"
  awk -v u="${fields[13]}" -v s="${fields[14]}" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f", (u + s) / hz }'
}

# CPU seconds of one run of a command: its own processes (bash's `time` counts the children it
# waits for) and the server's, which the machine's other load does not change as it changes wall
# time.
cpu_of() {
  local s0 own TIMEFORMAT='%3U %3S'
  s0=$(process_cpu "$server_pid")
  own=$({ time "$@" >/dev/null 2>&1; } 2>&1)
  awk -v s0="$s0" -v s1="$(process_cpu "$server_pid")" -v own="$own" \
    'BEGIN { split(own, t, " "); printf "%.3f", (s1 - s0) + t[1] + t[2] }'
}

# Median wall time in seconds of `runs` runs of a command (its output discarded).
median() {
  local times=() start end
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    times+=("$(((end - start) / 1000))")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { printf "%.3f", t[int((NR + 1) / 2)] / 1e6 }'
}
