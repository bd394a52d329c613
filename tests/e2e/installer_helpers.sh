# Helpers of the installer cases (30_installer, 32_installer_today), sourced after lib.sh and
# e2e_init. Setting up: installer_find (the installer and the Wine architecture that fits
# E2E_DIST); after e2e_prefix: installer_locations (the prefix's default program folder).

# installer_find: sets `setup` to the release installer in dist/ when it is newer than both
# builds (tools/run-tests.sh makes it), else to one built here from the two folders, and sets
# E2E_WINEARCH to the Windows the case installs on: 32-bit for dist/x86, 64-bit otherwise.
installer_find() {
  command -v makensis >/dev/null || e2e_fail "makensis is not installed (tools/install-deps.sh)"
  local dist_root version arch f
  dist_root=$(cd "$E2E_DIST/.." && pwd)
  for arch in x64 x86; do
    for f in Murivale Tessaban; do
      assert_file "$dist_root/$arch/$f.exe" "the $arch build beside $E2E_DIST (the installer carries both)"
    done
  done
  version=$("$E2E_REPO/tools/version.sh")
  setup=$dist_root/Murivale-Setup-$version.exe
  if [ ! -f "$setup" ] || [ "$setup" -ot "$dist_root/x64/Murivale.exe" ] || [ "$setup" -ot "$dist_root/x86/Murivale.exe" ]; then
    setup=$E2E_WORK/Murivale-Setup-$version.exe
    "$E2E_REPO/tools/make-installer.sh" --x64 "$dist_root/x64" --x86 "$dist_root/x86" --out "$setup" \
      >"$E2E_OUT/make-installer.log" 2>&1 || e2e_fail "building the installer failed (make-installer.log)"
  fi
  e2e_log "installer $setup"
  case "$(basename "$E2E_DIST")" in
    x86) export E2E_WINEARCH=win32 ;;
    *) export E2E_WINEARCH=win64 ;;
  esac
}

# installer_locations: sets `default_dir`, where the installer puts the programs by default
# (the prefix's local application data), and `user`.
installer_locations() {
  user=${USER:-$(id -un)}
  local local_appdata
  local_appdata=$(wine cmd /c 'echo %LOCALAPPDATA%' </dev/null 2>/dev/null | tr -d '\r')
  [[ "$local_appdata" == C:\\* ]] || e2e_fail "cannot tell the prefix's local application data ('$local_appdata')"
  default_dir="$local_appdata\\Programs\\Murivale"
}

unix_path() { winepath -u "$1" 2>/dev/null </dev/null; }

# install [/NOCOMPAT] [/D=FOLDER]: a silent installation, waited for to its end.
install() {
  e2e_run "$setup" /S "$@" || e2e_fail "the silent installation ended with exit code $?"
  wineserver -w
}

# uninstall FOLDER [/PURGE]: the silent removal. The uninstaller copies itself to the temporary
# folder and lets the copy work, so the whole prefix is waited for.
uninstall() {
  local dir=$1
  shift
  assert_file "$(unix_path "$dir\\Uninstall.exe")" "the uninstaller"
  e2e_run "$(unix_path "$dir\\Uninstall.exe")" /S "$@" || e2e_fail "the silent removal ended with exit code $?"
  wineserver -w
  # The copy may start only after the first process ended; wait for it too (its temporary
  # folder is named ~nsu...), so that the next step never overlaps with it.
  local n
  for ((n = 0; n < 150; n++)); do
    pgrep -f '~nsu' >/dev/null || break
    sleep 0.2
  done
  wineserver -w
}
