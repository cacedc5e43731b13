# The measures of the lookup comparisons, sourced by them: the median wall time of a command and
# the CPU seconds of one run, the directory server's included. The script sets `runs` (how many
# runs a median takes) and `server_pid` (the server whose CPU time counts).

# CPU seconds used so far by process $1 (user and system), and by this shell's children.
process_cpu() {
  local fields
  read -r -a fields <"/proc/$1/stat"
  awk -v u="${fields[13]}" -v s="${fields[14]}" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.3f", (u + s) / hz }'
}
children_cpu() {
  times | awk 'NR == 2 { split($1, u, "m"); split($2, s, "m"); printf "%.3f", u[1] * 60 + u[2] + s[1] * 60 + s[2] }'
}

# CPU seconds of one run of a command: its own processes and the server's, which the machine's
# other load does not change as it changes wall time.
cpu_of() {
  local s0 c0
  s0=$(process_cpu "$server_pid")
  c0=$(children_cpu)
  "$@" >/dev/null 2>&1
  awk -v s0="$s0" -v s1="$(process_cpu "$server_pid")" -v c0="$c0" -v c1="$(children_cpu)" \
    'BEGIN { printf "%.3f", (s1 - s0) + (c1 - c0) }'
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
