# Sourced by scripts/bench and by the short benchmark check of the tests:
# arithmetic over the figures and the runs of the benchmark programs.

# Prints its awk expression's value, computed over the named variables.
calc() {
  local expression=$1 assignment assignments=()
  shift
  for assignment in "$@"; do assignments+=(-v "$assignment"); done
  awk "${assignments[@]}" "BEGIN { print $expression }"
}
met() { calc '(v <= t) ? "yes" : "no"' "v=$1" "t=$2"; }
# "<median> <least> <greatest>" of the numbers given; the lower middle one
# for an even count.
summary() {
  printf '%s\n' "$@" | sort -g |
    awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)], v[1], v[NR] }'
}
median() { summary "$@" | awk '{ print $1 }'; }
# A ratio as the report shows it: "<median> (<least>-<greatest>)".
spread() {
  local middle least greatest
  read -r middle least greatest < <(summary "$@")
  calc 'sprintf("%.3g (%.3g-%.3g)", m, l, g)' "m=$middle" "l=$least" "g=$greatest"
}

# Runs a Windows program under Wine with this shell's own process id as its
# first argument: the exec keeps the id, so it is the id of the Linux process
# that runs the program, whose scheduler statistics the program then reads.
wine_with_linux_pid() {
  # shellcheck disable=SC2016 # expanded by the inner shell
  sh -c 'program=$1; shift; exec wine "$program" "$$" "$@"' sh "$@"
}

# The CPU of a sweep run against the bare calls and against a spinning wait,
# one line per repetition of bench/sweep_cpu_bench_win32.exe:
# "<run/bare> <run share/spin share> <run CPU ms> <bare CPU ms> <run share %> <spin share %>".
sweep_cpu_ratios() {
  wine_with_linux_pid "$1/sweep_cpu_bench_win32.exe" "$2" "$3" |
    awk '$1 == "sweep-cpu" {
      printf "%.4f %.5f %.1f %.1f %.3f %.1f\n", $2 / $4, ($2 / $3) / ($6 / $7),
        1000 * $2, 1000 * $4, 100 * $2 / $3, 100 * $6 / $7 }'
}
