#!/usr/bin/env bash
# Where the page may land: never on an input of the run (the template, a photo read, even as the
# default page name), never into a device, socket or pipe -o did not name, never over /dev/stdout's
# link; a named pipe is written once read, or refused within seconds; a private log's page is
# private under any umask. Devices are made only by root; elsewhere their rows are skipped.
# Usage: page_target_test.sh PROGRAM
source "$(dirname "$0")/../support/program_test.sh" "$1" "[numrecord]"
fixes 3 trip.log && fixes 3 IMG_0001.log && fixes 3 null.log && printf photo > IMG_0001.jpg && mkfifo fifo
printf '[numrecord]\r\n*extension\r\njpg\r\n' > jpg.dat
mknod disk b 7 0 2>/dev/null && mknod null c 1 3 && ln -s null null.html || echo "not root: device rows skipped"
# Each refused run: files made first | message | arguments. Whatever it names stays as it was.
while IFS='|' read -r setup message args; do
  [[ $args =~ null|disk ]] && [ ! -e null ] && continue
  eval "$setup"; before=$(ls -l --full-time --ignore=err)
  timeout 20 ./routelet --console $args 2>err; status=$?
  [ $status = 1 ] && grep -q "$message" err && [ "$(ls -l --full-time --ignore=err)" = "$before" ] || fail "$args: $status $(cat err)"
done <<'ROWS'
|template.datと同じファイルのため|-o template.dat trip.log
|IMG_0001.jpgと同じファイルのため|-o IMG_0001.jpg trip.log
|IMG_0001.jpgと同じファイルのため|--template jpg.dat IMG_0001.log
mkdir -p sub; ln -f IMG_0001.jpg sub/link.jpg|IMG_0001.jpgと同じファイルのため|-o sub/link.jpg trip.log
ln -sf fifo trip.html|普通のファイルではない|trip.log
rm trip.html; mkfifo trip.html|普通のファイルではない|trip.log
rm trip.html|読むプログラムがない|-o fifo trip.log
|普通のファイルではない|null.log
|普通のファイルではない|-o disk trip.log
ROWS
rm -f trip.html
expected=$(./routelet --console -o - trip.log) || fail "to standard output"
stdout=$(ls -l --full-time /dev/stdout)
for output in /dev/stdout /proc/self/fd/1 /dev/fd/1; do
  ./routelet --console -o $output trip.log > out && [ "$(cat out)" = "$expected" ] || fail "-o $output"
  [ "$(ls -l --full-time /dev/stdout)" = "$stdout" ] || fail "-o $output: /dev/stdout replaced"
done
timeout 20 cat fifo > out & ./routelet --console -o fifo trip.log && wait $! && [ "$(cat out)" = "$expected" ] || fail "-o fifo, read"
[ ! -e null ] || { ./routelet --console -o null trip.log && [ -c null ]; } || fail "-o a terminal-like device"
for mask in 022 002 077; do for log in 600 640 644; do
  rm -f trip.html; chmod $log trip.log; (umask $mask && ./routelet --console trip.log) || fail "umask $mask: run"
  [ "$(stat -c %a trip.html)" = "$(printf '%o' $((0666 & ~0$mask & (0700 | 0$log))))" ] || fail "umask $mask, log $log"
done; done
finish
