#!/usr/bin/env bash
# Every file of the image corpus (MURIVALE_CORPUS, default ../shared/corpus beside the
# repository) in a logon run: the folder holds the file under two names, so the run must use
# it. Each run must end by itself within 20 s with exit code 0 and leave either a sound
# converted bitmap (and the record naming the file) or no bitmap and the record untouched;
# nothing else may be left in the program folder. Prints a tally; the results per file go to
# corpus-results.tsv among the artifacts. Opt-in (several minutes): E2E_CORPUS=1.
. "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
e2e_init "$@"
. "$(dirname "${BASH_SOURCE[0]}")/../murivale_helpers.sh"

# Opt-in: the whole corpus takes minutes.
if [ "${E2E_CORPUS:-0}" != 1 ]; then
  e2e_log "skipped: set E2E_CORPUS=1 to run every corpus file through a logon run"
  E2E_FINISHED=1
  exit 77
fi
e2e_corpus
corpus=$E2E_CORPUS_DIR

e2e_setup winxp
# One server for all the runs.
wineserver -p </dev/null >/dev/null 2>&1

drive_c=$(e2e_drive_c)
base=$drive_c/base.bmp
convert -size 64x48 xc:'#ff8000' -type TrueColor "BMP3:$base"
folder=$drive_c/corpus-run
reg_import <<EOF
[$(reg_section "$MURIVALE_KEY")]
"FolderPath"=$(reg_sz "$(e2e_win_path "$folder")\\")
"BaseFile"=$(reg_sz "$(e2e_win_path "$base")")
"CurrentFile"="none yet"
EOF

# bitmap_problem FILE: prints what is wrong with a bitmap file (nothing when it is sound: magic
# "BM", size field equal to the file size, pixel data inside the file, sane dimensions).
bitmap_problem() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
if len(data) < 54 or data[:2] != b"BM":
    print("not a bitmap (%d bytes)" % len(data)); sys.exit()
size, offset = struct.unpack_from("<I", data, 2)[0], struct.unpack_from("<I", data, 10)[0]
w, h = struct.unpack_from("<ii", data, 18)
if size != len(data):
    print("size field %d, file %d bytes" % (size, len(data)))
elif not (14 < offset < len(data)) or w <= 0 or h == 0:
    print("bad header: offset %d, %dx%d" % (offset, w, h))
PY
}

# current_file: the CurrentFile value, read through an export of the key (reg query prints in
# the console's code page and would turn names in other scripts into question marks).
current_file() {
  local file=$E2E_WORK/current.reg
  rm -f "$file"
  wine reg export "$MURIVALE_KEY" "$(e2e_win_path "$file")" /y </dev/null >/dev/null 2>&1 ||
    e2e_fail "could not export $MURIVALE_KEY"
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' |
    sed -n 's/^"CurrentFile"="\(.*\)"$/\1/p' | sed 's/\\\\/\\/g; s/\\"/"/g'
}

applied=0 refused=0 failed=0
failures=()
report=$E2E_OUT/corpus-results.tsv
printf 'file\tresult\tseconds\tdetail\n' >"$report"
previous=$(current_file)
started=$SECONDS
while IFS= read -r -d '' file; do
  rel=${file#"$corpus"/}
  name=$(basename "$file")
  # The folder holds the file twice, so the logon run has to use it whichever it draws.
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$file" "$folder/1-$name"
  cp "$file" "$folder/2-$name"
  rm -f "$bitmap"
  t0=$(date +%s%N)
  timeout 20 wine "$exe" /p %1 </dev/null >"$E2E_WORK/run.log" 2>&1
  rc=$?
  secs=$(awk -v n=$(($(date +%s%N) - t0)) 'BEGIN { printf "%.2f", n / 1e9 }')
  result="" detail=""
  if ((rc == 124 || rc == 137)); then
    result=failed detail="did not end within 20 s"
    wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
    wineserver -p </dev/null >/dev/null 2>&1
  elif ((rc != 0)); then
    result=failed detail="exit code $rc: $(tail -c 300 "$E2E_WORK/run.log" | tr '\n\r' '  ')"
  fi
  current=$(current_file)
  leftovers=$(cd "$program" && ls -A | grep -v -x -e Murivale.exe -e "${USER}${WALLPAPER_SUFFIX}")
  if [ -z "$result" ] && [ -n "$leftovers" ]; then
    result=failed detail="files left in the program folder: $leftovers"
  fi
  if [ -z "$result" ]; then
    if [ -f "$bitmap" ]; then
      problem=$(bitmap_problem "$bitmap")
      if [ -n "$problem" ]; then
        result=failed detail="broken bitmap: $problem"
      elif [[ "$current" != "$(e2e_win_path "$folder")\\"[12]-"$name" ]]; then
        result=failed detail="bitmap written but CurrentFile is '$current'"
      else
        result=applied
      fi
    elif [ "$current" != "$previous" ]; then
      result=failed detail="no bitmap, but CurrentFile changed to '$current'"
    else
      result=refused
    fi
  fi
  find "$program" -mindepth 1 ! -name Murivale.exe -exec rm -rf {} +
  case $result in
    applied) applied=$((applied + 1)); previous=$current ;;
    refused) refused=$((refused + 1)) ;;
    failed) failed=$((failed + 1)); failures+=("$rel: $detail"); previous=$current ;;
  esac
  printf '%s\t%s\t%s\t%s\n' "$rel" "$result" "$secs" "$detail" >>"$report"
done < <(find "$corpus" -type f ! -name MANIFEST.tsv ! -name README.md -print0 | sort -z)

took=$((SECONDS - started))
e2e_log "corpus: $applied applied, $refused refused, $failed failed ($((applied + refused + failed)) files, $took s; details in $report)"
for f in "${failures[@]}"; do e2e_log "  failed: $f"; done
((applied + refused + failed > 0)) || e2e_fail "no corpus file was tried"
((failed == 0)) || e2e_fail "$failed corpus files made the logon run fail"
e2e_pass
