#!/usr/bin/env bash
# Draws the substitution benchmark's figures as a bar chart.
#   substitute_bench --csv results.csv && tools/bench/chart.sh results.csv chart.png
# Needs gnuplot (Debian: apt-get install gnuplot-nox); nothing else in the build does.
set -euo pipefail
usage="usage: chart.sh RESULTS.csv CHART.png"
csv=${1:?$usage}
png=${2:?$usage}
if ! command -v gnuplot >/dev/null; then
    echo "chart.sh needs gnuplot (apt-get install gnuplot-nox)" >&2
    exit 1
fi

gnuplot <<PLOT
set terminal pngcairo size 900,480 font "sans,11"
set output "$png"
set datafile separator ","
set title "Hash swap speed by memory contents (GB/s, higher is better)"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.85 border -1
set boxwidth 0.9
set key below horizontal autotitle columnhead
set ylabel "GB/s"
set yrange [0:*]
set offsets 0, 0, graph 0.08, 0 # room for the figures above the tallest bars
stats "$csv" using 2 nooutput
set xrange [-0.6:STATS_records - 0.4]
# One bar a column after the first: read pass, reference, then each engine the CPU ran.
columns = system("head -1 '$csv' | tr ',' '\\n' | wc -l") + 0
bars = columns - 1
set grid ytics
figure(v) = sprintf(v < 1 ? "%.2f" : "%.1f", v)
# Bars, then each bar's figure above it.
plot for [c=2:columns] "$csv" using c:xtic(1), \
     for [c=2:columns] "$csv" using (\$0 + (c - 2 - (bars - 1) / 2.0) * 0.9 / (bars + 1)):c:(figure(column(c))) \
         with labels offset 0,0.7 font ",9" notitle
PLOT
echo "wrote $png"
