#!/bin/sh
# Fails when --help, the man page or the README leaves out an exit status
# that the programs can return (every status of src/cli/exit_status.h), or
# names one that they cannot.
#   check_exit_statuses.sh PROGRAM MAN_PAGE README README_START
# README_START is the line where the program's statuses begin in the README:
# a table (rows "| N | ...") under a heading, or a paragraph that starts
# with "Exit status:".
set -eu
program=$1
page=$2
readme=$3
start=$4
here=$(dirname "$0")

statuses=$(perl -ne 'print "$1\n" if /kExit\w+ = (\d+);/' \
  "$here/../../src/cli/exit_status.h" | sort -un | tr '\n' ' ')

# The statuses named in a text of the form "Exit status: 0 ...; 1 ...".
in_sentence='
  $t = join "", <>; $t =~ s/\s+/ /g;
  $t =~ s/.*?Exit status: //s or exit;
  $t =~ s/\.(\s|$).*//;
  print "$1\n" while $t =~ /(?:^|; )(\d+) /g;'

from_help=$("$program" --help | perl -e "$in_sentence" | sort -un | tr '\n' ' ')

from_page=$(perl -ne '
  $in = 1 if /^\.SH EXIT STATUS/;
  $in = 0 if /^\.SH / && !/EXIT STATUS/;
  print "$1\n" if $in && /^\.B (\d+)\s*$/;' "$page" | sort -un | tr '\n' ' ')

from_readme=$(START="$start" perl -e '
  $start = $ENV{START};
  while (<>) {
    $in = 1 if index($_, $start) == 0;
    next unless $in;
    if ($start =~ /^#/) {
      last if /^#/ && index($_, $start) != 0;
      print "$1\n" if /^\| (\d+) \|/;
    } else {
      last if /^\s*$/;
      $text .= $_;
    }
  }
  if (defined $text) {
    $text =~ s/\s+/ /g; $text =~ s/^Exit status: //; $text =~ s/\.( |$).*//;
    print "$1\n" while $text =~ /(?:^|; )(\d+) /g;
  }' "$readme" | sort -un | tr '\n' ' ')

status=0
for where in help page readme; do
  eval "found=\$from_$where"
  if [ "$found" != "$statuses" ]; then
    echo "$program: the exit statuses of its $where are '$found'," \
      "the programs return '$statuses'" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "every exit status documented: $statuses"
exit $status
