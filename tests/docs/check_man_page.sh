#!/bin/sh
# Fails when a man page and the program's --help name different options:
# every option of the OPTIONS section of the page must be in --help, and
# every option --help lists must be on the page.
#   check_man_page.sh PROGRAM MAN_PAGE
set -eu
program=$1
page=$2

# The options of the help lines that start with "  -": the part before the
# description, split at commas and blanks.
from_help=$("$program" --help | perl -ne '
  next unless /^\s+(-\S.*?)(\s{2,}|$)/;
  print "$_\n" for grep { /^-/ } split /[,\s]+/, $1;' | sort -u)

# The options of the tag lines (after .TP) of the OPTIONS section.
from_page=$(perl -ne '
  $in = 1 if /^\.SH OPTIONS/;
  $in = 0 if /^\.SH / && !/OPTIONS/;
  if ($in && $tag) {
    s/\\-/-/g;
    print "$_\n" for /(?<![\w-])(--?[a-z][a-z-]*)/g;
  }
  $tag = $in && /^\.TP/;' "$page" | sort -u)

if [ "$from_help" != "$from_page" ]; then
  echo "$page and $program --help differ in their options:" >&2
  echo "--help: $(echo $from_help)" >&2
  echo "page:   $(echo $from_page)" >&2
  exit 1
fi
echo "same options: $(echo $from_page)"
