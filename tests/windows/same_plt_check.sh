#!/bin/sh
# stravener.exe convert under Wine writes the same PLT bytes as the Linux build from the same
# binary track file, also with a Polish system locale, and ends with the same summary.
#
#   same_plt_check.sh WINE STRAVENER_EXE NATIVE_STRAVENER SAMPLE_TRACK WORK_DIR
set -eu
wine="$1"
exe="$2"
native="$3"
sample="$4"
work="$5"

# A path of this machine as the programs under Wine name it: the file system is drive Z:.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
# The PLT file a conversion left: the output, or after a failure the partial file beside it.
written() { if [ -e "$1/$2.plt" ]; then echo "$1/$2.plt"; else echo "$1/$2.partial.plt"; fi; }
# The last log line but the one naming the partial file, whose path differs.
last_line() { grep -v 'incomplete track is in' "$1" | tail -n 1 | tr -d '\r'; }

rm -rf "$work"
mkdir -p "$work/linux" "$work/windows" "$work/windows-pl"
"$sample" --points 30000 --seed 11 "$work/track.bin"
# A track in the older record layout, which the conversion reads as layout 2 all the same.
"$sample" --points 2000 --layout 1 --seed 3 "$work/old.bin"
# A record with a latitude of almost 180 degrees after 1000 good ones: the conversion
# stops there with an error.
head -c 16000 "$work/track.bin" >"$work/bad.bin"
printf '\0\0\0\0\0\0\177\377\377\377\0\0\0\0\0\0' >>"$work/bad.bin"
tail -c 1600 "$work/track.bin" >>"$work/bad.bin"

status=0
for input in track old bad; do
  native_status=0
  "$native" convert "$work/$input.bin" -o "$work/linux/$input.plt" --lang en >"$work/linux/$input.out" \
    2>"$work/linux/$input.log" || native_status=$?
  windows_status=0
  "$wine" "$exe" convert "$(windows_path "$work/$input.bin")" -o "$(windows_path "$work/windows/$input.plt")" \
    --lang en >"$work/windows/$input.out" 2>"$work/windows/$input.log" || windows_status=$?
  polish_status=0
  LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8 "$wine" "$exe" convert "$(windows_path "$work/$input.bin")" \
    -o "$(windows_path "$work/windows-pl/$input.plt")" --lang en >"$work/windows-pl/$input.out" \
    2>"$work/windows-pl/$input.log" || polish_status=$?
  if [ "$native_status" != "$windows_status" ] || [ "$native_status" != "$polish_status" ]; then
    echo "$input: exit status $native_status on Linux, $windows_status and $polish_status under Wine" >&2
    status=1
  fi
  for variant in windows windows-pl; do
    if ! cmp "$(written "$work/linux" "$input")" "$(written "$work/$variant" "$input")"; then
      echo "$input: the PLT files of Linux and $variant differ" >&2
      status=1
    fi
    # The log lines are the same too, but for the file names.
    if [ "$(last_line "$work/linux/$input.log")" != "$(last_line "$work/$variant/$input.log")" ]; then
      echo "$input: the last log lines differ:" >&2
      tail -n 2 "$work/linux/$input.log" "$work/$variant/$input.log" >&2
      status=1
    fi
    # So is the summary that ends a conversion, after the line naming the file.
    if [ "$(tail -n +2 "$work/linux/$input.out")" != "$(tail -n +2 "$work/$variant/$input.out" | tr -d '\r')" ]; then
      echo "$input: the summaries differ:" >&2
      cat "$work/linux/$input.out" "$work/$variant/$input.out" >&2
      status=1
    fi
  done
  echo "$input: $(wc -c <"$(written "$work/linux" "$input")") bytes, $(last_line "$work/linux/$input.log")"
done
[ "$status" = 0 ] && rm -rf "$work"
exit "$status"
