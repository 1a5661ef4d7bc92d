#!/usr/bin/env bash
# A FIFO as the log or the template (named as the argument, by --template, or found in the user's
# config folder) is read when a writer comes, whether it comes before or after the program opens
# it; with none, the run ends within a few seconds with a message (exit 1). `<(command)` is read.
# Usage: fifo_input_test.sh PROGRAM
source "$(dirname "$0")/../support/program_test.sh" "$1" "[numrecord]"
fixes 3 trip.txt
mkfifo log.fifo tpl.fifo lone.log lone.dat && mkdir -p config/routelet && mkfifo config/routelet/template.dat
# Each writer's open waits for the program's: it writes while the program waits, or before.
cat trip.txt > log.fifo &
./routelet --console log.fifo && [ "$(cat log.html)" = 3 ] || fail "a log FIFO with a writer"
printf '[numrecord]!' > tpl.fifo &
./routelet --console --template=tpl.fifo trip.txt && [ "$(cat trip.html)" = '3!' ] || fail "a template FIFO with a writer"
./routelet --console -o sub.html <(cat trip.txt) && [ "$(cat sub.html)" = 3 ] || fail "a log through <(cat)"
wait

# No writer: each case in its own folder, all at once.
start=$SECONDS
no_writer() {  # no_writer NAME FIFO COMMAND...: exit 1 and the message naming FIFO
  local name=$1 fifo=$2; shift 2
  "$@" 2>"$name.err"
  [ $? = 1 ] && grep -q "^Routelet: .*$fifo.*を開けません（FIFOに書きこむものが5秒待っても現れません）$" "$name.err"
}
no_writer log lone.log ./routelet --console lone.log & log=$!
no_writer template lone.dat ./routelet --console --template=lone.dat trip.txt & template=$!
XDG_CONFIG_HOME="$work/config" no_writer config config/routelet/template.dat ./routelet --console trip.txt & config=$!
for case in log template config; do wait "${!case}" || fail "no writer for the $case: $(cat "$case.err")"; done
((SECONDS - start < 15)) || fail "no writer: $((SECONDS - start)) s"
finish
