# Sourced by scripts/bench and by the short benchmark check of the tests:
# arithmetic over the figures and the runs of the benchmark programs.

# Prints its awk expression's value, computed over the named variables.
calc() {
  local expression=$1 assignment assignments=()
  shift
  for assignment in "$@"; do assignments+=(-v "$assignment"); done
  awk "${assignments[@]}" "BEGIN { print $expression }"
}
# Whether a figure is a number: a ratio of 0/0 (-nan), of x/0 (inf) or of a
# figure never printed (empty) is not one.
is_number() { [[ $1 =~ ^-?[0-9]+(\.[0-9]*)?([eE][-+]?[0-9]+)?$ ]]; }
# "yes" when the figure does not exceed the target; a figure that is not a
# number never meets it.
met() {
  if is_number "$1"; then
    calc '(v <= t) ? "yes" : "no"' "v=$1" "t=$2"
  else
    echo "no (${1:-no figure}: not a number)"
  fi
}
# "<median> <least> <greatest>" of the numbers given; the lower middle one
# for an even count.
summary() {
  printf '%s\n' "$@" | sort -g |
    awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)], v[1], v[NR] }'
}
median() { summary "$@" | awk '{ print $1 }'; }
# The figure that judges a set of them, by summary's field (1 the median,
# 2 the least): the first one that is not a number if there is one, since a
# row with a 0/0 among its repetitions measured nothing there.
judged() {
  local field=$1 figure
  shift
  for figure in "$@"; do
    is_number "$figure" || { echo "$figure"; return 0; }
  done
  summary "$@" | awk -v f="$field" '{ print $f }'
}
# A ratio as the report shows it: "<median> (<least>-<greatest>)".
spread() {
  local middle least greatest
  read -r middle least greatest < <(summary "$@")
  calc 'sprintf("%.3g (%.3g-%.3g)", m, l, g)' "m=$middle" "l=$least" "g=$greatest"
}

# wine64, Wine's 64-bit loader, for a process id or a timing of the program.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-env"

# Runs a 64-bit Windows program under Wine with this shell's own process id
# as its first argument: the exec keeps the id, so it is the id of the Linux
# process that runs the program, whose scheduler statistics the program then
# reads.
wine_with_linux_pid() {
  # shellcheck disable=SC2016 # expanded by the inner shell
  sh -c 'loader=$1 program=$2; shift 2; exec "$loader" "$program" "$$" "$@"' sh "$WINE64" "$@"
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
