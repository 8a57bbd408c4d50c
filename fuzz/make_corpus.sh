#!/usr/bin/env bash
# Builds the working corpus of each harness under BUILD/corpus from the
# hand-made seeds in fuzz/seeds and from the example decks.
#   fuzz/make_corpus.sh BUILD
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
corpus="$1/corpus"
mkdir -p "$corpus/input_phase" "$corpus/whole_run" "$corpus/list_parser" "$corpus/record_editing" "$corpus/plot_file"

# Whole decks for the input phase and for whole runs.
cp "$root"/fuzz/seeds/input_phase/* "$root"/examples/*.dat "$corpus/input_phase/"
cp "$root"/fuzz/seeds/input_phase/* "$root"/examples/*.dat "$corpus/whole_run/"

# Deck lines for the list parser, each behind a few target lists: the first byte
# picks the number of targets, the second their kinds (bit set: integer). The
# ten fixed lines and two time-stress lines of each deck; the rest are alike.
cp "$root"/fuzz/seeds/list_parser/* "$corpus/list_parser/"
n=0
for deck in "$root"/examples/*.dat; do
  head -n 12 "$deck" | while IFS= read -r line || [ -n "$line" ]; do
    for prefix in '\000\000' '\002\377' '\003\005' '\007\000'; do
      { printf "$prefix"; printf '%s' "$line"; } > "$corpus/list_parser/example-$n"
      n=$((n + 1))
    done
  done
  n=$((n + 100))
done

# Values for the editing harness: the numbers of the example decks and the
# worked examples of the report conventions, in the fields the report uses.
# Layout: 8 bytes double, w-1, d-1, letter (0 D, 1 E), 8 bytes integer, Iw-1.
perl -e '
  my ($dir, @decks) = @ARGV;
  my @values = (1234.5678, -1234.5678, 0, -0.0, 9.9996, 1.125, 0.1, -0.00012345,
                1.0e-120, -1.0e-120, 2.5e150, 1.0e99, 1.7976931348623157e308, 4.9e-324);
  for my $deck (@decks) {
    open(my $in, "<", $deck) or die "$deck: $!";
    while (my $line = <$in>) {
      next if $. <= 2;  # the titles
      last if $. > 12;  # two time-stress lines are enough
      for my $word (split /[\s,\/]+/, $line) {
        next unless $word =~ /^[+-]?(\d+\.?\d*|\.\d+)([EeDd][+-]?\d+)?$/;
        (my $number = $word) =~ tr/Dd/ee/;
        push @values, $number + 0;
      }
    }
  }
  my @fields = ([10, 3], [10, 4], [11, 5], [12, 3], [13, 6]);
  my %seen;
  @values = grep { !$seen{$_}++ } @values;
  my $n = 0;
  for my $v (@values) {
    for my $f (@fields) {
      open(my $out, ">:raw", "$dir/value-$n") or die;
      print $out pack("d< C C C q< C", $v, $f->[0] - 1, $f->[1] - 1, $n % 2, int($v) % 1000000, 4);
      $n++;
    }
  }
' "$corpus/record_editing" "$root"/examples/*.dat

# kesta-fit's fit files and records: the worked example's, and a few seeds
# with a byte-order mark, CRLF line ends and extreme numbers.
mkdir -p "$corpus/fit_file" "$corpus/observation_csv" "$corpus/fit_numbers"
cp "$root"/examples/fit/*.toml "$corpus/fit_file/"
cp "$root"/examples/fit/*.csv "$root"/fuzz/seeds/observation_csv/* "$corpus/observation_csv/"

# The solver's numbers: 9 bytes each, a slot (0-11 an observed value, 12-23 a
# weight, 24-26 an initial value, 27 the AR(1) noise model) and a double.
perl -e '
  my $dir = shift;
  my @values = (9**9**9, -9**9**9, (9**9**9) / (9**9**9), 1e300, -1e300, 1e155, 1e160, 1e-300, 4.9e-324,
                2.2e-308, 0, -0.0, 1e10, 1e100, 1e-100);
  my $n = 0;
  for my $v (@values) {
    for my $slot (3, 15, 24, 25, 26) {
      open(my $out, ">:raw", "$dir/number-$n") or die;
      print $out pack("C d<", $slot, $v);
      print $out pack("C d<", 27, 0) if $n % 3 == 0;
      $n++;
    }
  }
' "$corpus/fit_numbers"

# Case files (behind an even byte) and records (behind odd bytes that choose
# the zone, the format, the delimiter and a missing level).
mkdir -p "$corpus/case"
for file in "$root"/examples/*/*.toml "$root"/fuzz/seeds/case/*.toml; do
  { printf '\000'; cat "$file"; } > "$corpus/case/$(basename "$file")"
done
for file in "$root"/fuzz/seeds/case/*.csv; do
  for byte in 001 003 005 011 021; do
    { printf "\\$byte"; cat "$file"; } > "$corpus/case/$byte-$(basename "$file")"
  done
done

# Plot files for the plot-file reader: the head of each golden plot file, behind
# the two bytes that choose the pieces it is read in.
for plot in "$root"/tests/golden/*.plot.txt; do
  { printf '\007\035'; head -n 40 "$plot"; } > "$corpus/plot_file/$(basename "$plot")"
done

# kesta-plot's reader of a case's results: the heads of the examples' results.
mkdir -p "$corpus/case_results"
cp "$root"/fuzz/seeds/case_results/* "$corpus/case_results/"
