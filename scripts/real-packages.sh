# The steps of installing the example packages (examples/) in a throwaway Wine prefix and removing
# them with the launcher, shared by scripts/demo and the installers test. Source it, then call:
#   rp_choose ROOT        pick the shipped 32-bit build under WoW64, or where this machine cannot
#                         run 32-bit programs the x86_64 build and x64 packages (rp_fallback says
#                         why); sets rp_bits, rp_build, rp_programs
#   rp_prefix DIR         a new 64-bit prefix in DIR (HOME inside it too), its server kept running
#   rp_install            installs the three packages silently (the product puts the launcher in
#                         Vendor Tools) and a neighbour folder with a file beside the install
#                         folders
#   rp_state              one line per uninstall entry and per path: "<what> present|gone|file|folder"
#   rp_run CODE           runs the installed launcher with CODE from its folder; sets rp_status
#   rp_plan CODE          runs the built plan with CODE and prints its lines; sets rp_status
#   rp_started            the uninstall commands the launcher started, in order: "<ms> <entry>"
#   rp_restart            the next start of Windows: files an uninstaller left for it are deleted
#   rp_stop               ends the prefix's Wine processes
rp_uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
rp_entries=(Tessaline vek473u vek473)

rp_choose() {
  local root=$1
  rp_fallback=
  if rp_fallback=$("$root/scripts/wine32-ready"); then
    rp_bits=32 rp_loader=/usr/lib/wine/wine rp_programs='Program Files (x86)'
  else
    local status=$?
    case $status in 2|3) ;; *) echo "$rp_fallback" >&2; return 1 ;; esac
    rp_bits=64 rp_loader=/usr/lib/wine/wine64 rp_programs='Program Files'
  fi
  rp_build=$root/build/win$rp_bits
  rp_root=$root
}

rp_wine() {
  "$rp_loader" "$@"
}

rp_prefix() {
  rp_dir=$1
  mkdir -p "$rp_dir/home"
  rp_dir=$(cd "$rp_dir" && pwd)
  # The prefix links the user's Desktop and Documents into $HOME: keep them inside the scratch.
  export HOME=$rp_dir/home WINEPREFIX=$rp_dir/prefix WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  "$rp_root/scripts/wine-prefix" "$WINEPREFIX" >"$rp_dir/wine-prefix.log" 2>&1 || return 1
  /usr/lib/wine/wineserver -p
  rp_c=$WINEPREFIX/drive_c
  rp_tools="C:\\$rp_programs\\Vendor Tools"
  rp_paths=(
    "$rp_tools" "$rp_tools\\uninstall-launcher.exe"
    "C:\\$rp_programs\\Vendor" "C:\\$rp_programs\\Vendor\\Tessaline"
    "C:\\$rp_programs\\Vendor\\Tessaline\\Tessaline.txt"
    "C:\\$rp_programs\\Vendor\\Tessaline\\Tessaline.ini"
    "C:\\$rp_programs\\Vendor\\Tessaline\\uninstall.exe"
    "C:\\$rp_programs\\vek473u" "C:\\$rp_programs\\vek473u\\vek473u.txt"
    "C:\\$rp_programs\\vek473u\\uninstall.exe"
    "C:\\$rp_programs\\vek473" "C:\\$rp_programs\\vek473\\vek473.txt"
    "C:\\$rp_programs\\Neighbour" "C:\\$rp_programs\\Neighbour\\keep.txt"
    "C:\\$rp_programs"
  )
}

rp_unix_path() {  # C:\a\b -> the file in the prefix
  local path=${1#C:\\}
  echo "$rp_c/${path//\\//}"
}

rp_install() {
  mkdir -p "$rp_c/setup" "$(rp_unix_path "C:\\$rp_programs\\Neighbour")"
  cp "$rp_build"/examples/tessaline-setup.exe "$rp_build"/examples/vek473u-setup.exe \
    "$rp_build"/examples/vek473.msi "$rp_c/setup/"
  printf 'not part of any package\r\n' >"$(rp_unix_path "C:\\$rp_programs\\Neighbour\\keep.txt")"
  rp_wine 'C:\setup\tessaline-setup.exe' /S &&
    rp_wine 'C:\setup\vek473u-setup.exe' /S &&
    rp_wine msiexec /i 'C:\setup\vek473.msi' /qn
}

rp_uninstall_string() {
  rp_wine reg query "$rp_uninstall_key\\$1" /v UninstallString "/reg:$rp_bits" 2>/dev/null |
    tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *//p'
}

rp_state() {
  local present entry path
  present=$(rp_wine reg query "$rp_uninstall_key" "/reg:$rp_bits" 2>/dev/null | tr -d '\r' |
    sed -n 's/.*\\Uninstall\\//p')
  for entry in "${rp_entries[@]}"; do
    if grep -qxF "$entry" <<<"$present"; then echo "$entry present"; else echo "$entry gone"; fi
  done
  for path in "${rp_paths[@]}"; do
    local unix
    unix=$(rp_unix_path "$path")
    if [ -d "$unix" ]; then echo "$path folder"
    elif [ -e "$unix" ]; then echo "$path file"
    else echo "$path gone"; fi
  done
}

rp_run() {
  local entry
  rp_commands=()
  for entry in "${rp_entries[@]}"; do
    rp_commands+=("$(rp_uninstall_string "$entry")")
  done
  # Wine's process trace records each process start with its command line and time.
  rp_status=0
  (cd "$(rp_unix_path "$rp_tools")" &&
    WINEDEBUG=+timestamp,+process rp_wine "$rp_tools\\uninstall-launcher.exe" "$@" \
      2>"$rp_dir/trace.txt") || rp_status=$?
}

rp_plan() {
  rp_status=0
  rp_wine "$rp_build/uninstall-launcher-plan.exe" "$@" >"$rp_dir/plan-output.txt" 2>/dev/null || rp_status=$?
  tr -d '\r' <"$rp_dir/plan-output.txt"
}

rp_started() {
  local line time command i first=
  grep 'CreateProcessInternalW app .* cmdline L"' "$rp_dir/trace.txt" | while read -r line; do
    time=${line%%:*}
    command=${line#*cmdline L\"}
    command=${command%\"}
    command=$(sed 's/\\\(.\)/\1/g' <<<"$command")
    for i in "${!rp_entries[@]}"; do
      if [ -n "${rp_commands[$i]}" ] && [ "$command" = "${rp_commands[$i]}" ]; then
        [ -n "$first" ] || first=$time
        echo "$(awk -v t="$time" -v f="$first" 'BEGIN { printf "%d", (t - f) * 1000 }') ${rp_entries[$i]}"
      fi
    done
  done
}

rp_restart() {
  rp_wine wineboot --restart >/dev/null 2>&1
}

rp_stop() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -w 2>/dev/null || true
}
