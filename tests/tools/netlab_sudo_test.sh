#!/usr/bin/env bash
# tools/netlab started by a user who is not root goes through sudo, keeping
# the environment, PATH and the command as given, or says that sudo is
# missing. A fake sudo that gains nothing stands in for the real one, so no
# lab is ever built here. Usage: netlab_sudo_test.sh path/to/netlab
set -euo pipefail
netlab="$(readlink -f "$1")"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir "$work/with-sudo" "$work/no-sudo"
cat >"$work/with-sudo/sudo" <<'FAKE'
#!/bin/sh
# Shows how it was called, then runs the command unprivileged.
printf 'sudo:'; printf ' [%s]' "$@"; printf '\n'
while [ "$1" != "--" ]; do shift; done
shift
exec "$@"
FAKE
chmod 755 "$work/with-sudo/sudo"
for tool in bash env id readlink; do ln -s "$(command -v "$tool")" "$work/no-sudo/$tool"; done

# As an ordinary user: nobody, when the test itself runs as root.
as_user() {
    if [[ "$(id -u)" != 0 ]]; then
        "$@"
    elif command -v setpriv >/dev/null; then
        setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
    else
        echo "SKIP: setpriv is needed to drop root"
        exit 77
    fi
}

failures=0
expect() {  # description, then a command that must succeed
    local what="$1"
    shift
    if ! "$@"; then
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}

path="$work/with-sudo:/usr/bin:/bin"
status=0
output="$(as_user env PATH="$path" HALVORN_PROBE=kept "$netlab" echo "two words" 2>&1)" || status=$?
echo "$output"
expect "the lab's exit code 125 once sudo did not make it root" test "$status" = 125
expect "sudo keeps the environment" grep -qE -- '\[(--preserve-env|-E)\]' <<<"$output"
expect "sudo is handed PATH" grep -qF -- "[PATH=$path]" <<<"$output"
expect "the script itself runs again with the command unchanged" \
    grep -qE -- "\[$netlab\]( \[--\])? \[echo\] \[two words\]$" <<<"$output"
expect "a clear error when sudo gives no root" grep -qF "netlab: still not root" <<<"$output"

status=0
output="$(as_user env PATH="$work/no-sudo" "$netlab" echo 2>&1)" || status=$?
echo "$output"
expect "exit code 125 without sudo" test "$status" = 125
expect "the error names sudo" grep -qF "sudo not found" <<<"$output"

exit $((failures > 0))
