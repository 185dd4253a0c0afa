#!/usr/bin/env bash
# The main job: builds baronlink and runs it on the bundled example model (examples/model:
# control file template, scratch files, the user's option file; examples/sysdir: the
# system directory), with the stand-in BARON last on PATH (a real BARON found on PATH runs
# instead), then shows the log (BARON's
# lines between the link's), the status file, BARON's input file "mybaron", the map
# "bavemap", BARON's tim, sum and res files and the solution file in readable form: BARON's
# answer (status pair, objective, levels and marginals) as the link read it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
root=$(pwd)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The program and the stand-ins of the outside libraries it loads; the tests are not needed.
cmake --build build -j "$(nproc)" --target baronlink bl_standins
echo "== baronlink AUDIT"
./build/baronlink AUDIT

# The control file names absolute paths: written from the template for this clone. Log,
# status file and solution file go to the run folder.
run=$root/build/example
rm -rf "$run"
mkdir -p "$run"
sed -e "s|@MODEL@|$root/examples/model|g" -e "s|@RUN@|$run|g" \
    -e "s|@SYSDIR@|$root/examples/sysdir|g" examples/model/baron.ctl.in > "$run/baron.ctl"
echo "== baronlink $run/baron.ctl"
runpath="$PATH:$root/build/standins/bin"
echo "== BARON: $(PATH=$runpath command -v baron)"
rc=0
PATH="$runpath" LD_LIBRARY_PATH="$root/build/standins/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  ./build/baronlink "$run/baron.ctl" || rc=$?
echo "exit code $rc"

echo "== log ($run/baron.log)"
cat "$run/baron.log"
echo "== status file ($run/baron.sta)"
cat "$run/baron.sta"
# Scratch files: directory and extension from the control file ("<run>/<name>.scr").
for name in mybaron bavemap tim sum res; do
  echo "== $name ($run/$name.scr)"
  if [ -f "$run/$name.scr" ]; then cat "$run/$name.scr"; else echo "  (not written)"; fi
done
echo "== solution file ($run/baron.sol)"
# Text layout: head items "index value" up to index 0, one record per row and column
# ("level marginal basis status"), tail items up to index 0.
awk '
  BEGIN {
    split("Normal Completion|Iteration Interrupt|Resource Interrupt|Terminated By Solver|Evaluation Interrupt|Capability Problems||User Interrupt|Setup Failure|Solver Failure|Internal Solver Failure|Solve Processing Skipped|System Failure", solve, "|")
    split("Optimal|Locally Optimal|Unbounded|Infeasible|Locally Infeasible|Intermediate Infeasible|Feasible Solution|Integer Solution|Intermediate Non-Integer|Integer Infeasible||Error Unknown|Error No Solution|No Solution Returned|Solved Unique|Solved|Solved Singular|Unbounded - No Solution|Infeasible - No Solution", model, "|")
    head["1"] = "solver status"; head["2"] = "model status"; head["9"] = "objective rows carry marginals"
    section = "head"
  }
  function show(v) { return v == "2E300" ? "NA" : v }
  section != "records" && $1 == "0" { print "  end of " section; section = (section == "head") ? "records" : "done"; next }
  section == "head" {
    name = ($1 in head) ? head[$1] : "head item " $1
    text = ($1 == "1") ? " (" solve[$2] ")" : ($1 == "2") ? " (" model[$2] ")" : ""
    printf "  %-32s %s%s\n", name, show($2), text; next
  }
  section == "records" && NF >= 4 { printf "  record %-3d level %s, marginal %s, basis %s, status %s\n", ++n, $1, show($2), $3, $4; next }
  section == "records" { section = "tail"; if (n == 0) print "  no row or column records" }
  section == "tail" && $1 == "0" { print "  end of tail"; section = "done"; next }
  section == "tail" { printf "  tail item %-22s %s\n", $1, show($2) }
' "$run/baron.sol"
exit "$rc"
