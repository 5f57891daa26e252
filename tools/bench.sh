#!/usr/bin/env bash
# Builds, then runs every benchmark of the x86_64 build under Wine and prints its figures.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh >/dev/null
source tools/wine-env.sh
morvane_start_session

# The large folders the shell benchmarks list (bench/large_folders.h), made here from Linux and kept
# in the prefix: under Wine each new file is looked for in its folder without regard to case, so a
# Windows program takes most of an hour to fill a folder of 100,000 files; Perl takes seconds.
bench_folders="$WINEPREFIX/drive_c/morvane-bench"
make_folder() {  # kind (files, folders, or numbered: files f0.txt, f1.txt, ... empty), count
  local made="$bench_folders/$1-$2"
  [ -f "$made.complete" ] && return 0
  rm -rf "$made"
  perl -e '
    my ($folder, $kind, $count) = @ARGV;
    mkdir $folder or die "$folder: $!";
    for my $i (0 .. $count - 1) {
      if ($kind eq "folders") { mkdir sprintf("%s/d%05d", $folder, $i) or die; next; }
      if ($kind eq "numbered") { open(my $file, ">", sprintf("%s/f%d.txt", $folder, $i)) or die; close $file; next; }
      open(my $file, ">", sprintf("%s/f%05d.txt", $folder, $i)) or die;
      print $file "\0" x ($i % 2000);
      close $file;
    }' "$made" "$1" "$2"
  : >"$made.complete"
}
mkdir -p "$bench_folders"
make_folder files 1000
make_folder files 10000
make_folder files 100000
make_folder folders 10000
make_folder numbered 100000
export MORVANE_BENCH_FOLDERS='C:\morvane-bench'

for bench in build/x64/bench/*_bench.exe; do
  echo "== $(basename "$bench")"
  wine "$bench"
done
