#!/usr/bin/env bash
# scripts/ensure-packages on a machine whose package tools are stand-ins on
# PATH (apt-get, dpkg-query, dpkg, sudo, id): an index a mirror is still
# syncing (update exits 100), an install that goes through only pinned to the
# base release, and a package that cannot be had at all.
# Usage: ensure_packages_test.sh SCRIPT
set -uo pipefail
script=$1
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
failures=0

# Every call to a stand-in is logged, one line each.
cat >"$stubs/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STUB_LOG"
case " $* " in
  *" update "*) exit "$STUB_UPDATE_STATUS" ;;
esac
pinned=false
[[ " $* " == *" -t bookworm "* ]] && pinned=true
for word in "$@"; do
  if [ "$word" = "$STUB_BROKEN" ]; then
    echo "E: Unable to correct problems, you have held broken packages." >&2
    echo " $word : Depends: libbsd0 (= 0.11.7-2) but 0.11.8-1 is to be installed"
    exit 100
  fi
done
if ! $pinned && [ "$STUB_NEEDS_PIN" = yes ]; then
  echo "E: Unable to correct problems, you have held broken packages." >&2
  exit 100
fi
exit 0
STUB
cat >"$stubs/dpkg-query" <<'STUB'
#!/usr/bin/env bash
exit 1
STUB
cat >"$stubs/dpkg" <<'STUB'
#!/usr/bin/env bash
echo "dpkg $*" >>"$STUB_LOG"
STUB
cat >"$stubs/sudo" <<'STUB'
#!/usr/bin/env bash
echo "sudo $1" >>"$STUB_LOG"
exec "$@"
STUB
cat >"$stubs/id" <<'STUB'
#!/usr/bin/env bash
echo 1000
STUB
chmod +x "$stubs"/*
printf 'ID=debian\nVERSION_CODENAME=bookworm\n' >"$stubs/os-release"

check() {
  local name=$1 condition=$2
  if ! eval "$condition"; then
    echo "FAIL: ${name}: ${condition}"
    echo "--- standard error:"; cat "$stubs/err"
    echo "--- calls:"; cat "$STUB_LOG"
    failures=$((failures + 1))
  fi
}

# run UPDATE_STATUS NEEDS_PIN BROKEN: the script's exit status in $status.
run() {
  export STUB_LOG=$stubs/log STUB_UPDATE_STATUS=$1 STUB_NEEDS_PIN=$2 STUB_BROKEN=$3
  : >"$STUB_LOG"
  PATH=$stubs:$PATH ENSURE_PACKAGES_OS_RELEASE=$stubs/os-release "$script" run >/dev/null 2>"$stubs/err"
  status=$?
}
installs() { grep -c '^apt-get install -y' "$STUB_LOG"; }

run 100 no ""
check "a partial update goes on" '[ "$status" -eq 0 ]'
check "it says so" 'grep -q "could not read every package index; going on" "$stubs/err"'
check "one install, through sudo" '[ "$(installs)" -eq 1 ] && grep -q "^sudo apt-get" "$STUB_LOG"'

run 100 yes ""
check "an install pinned to the base release goes through" '[ "$status" -eq 0 ]'
check "after one unpinned try" '[ "$(installs)" -eq 2 ] && grep "^apt-get install -y" "$STUB_LOG" | tail -n 1 | grep -q -- "-t bookworm"'

run 0 yes libedit-dev
check "a package that cannot be had fails the script" '[ "$status" -eq 1 ]'
check "named in one line with the dependency apt cannot meet" \
  '[ "$(grep "^cannot install" "$stubs/err")" = "cannot install libedit-dev: Depends: libbsd0 (= 0.11.7-2) but 0.11.8-1 is to be installed" ]'
check "and no other package named" '[ "$(grep -c "^cannot install" "$stubs/err")" -eq 1 ]'

[ "$failures" -eq 0 ] && echo "ensure-packages: 3 situations passed"
exit "$failures"
