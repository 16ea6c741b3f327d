#!/bin/bash
# Download and upload speed of pagewright-cli against curl, both talking to the same local
# FTP server (scripts/ftp-server.py) in passive mode. The two tools take turns, each
# direction runs RUNS times per tool, and the medians are compared.
#
#   bench/bench_ftp.sh [PAGEWRIGHT_CLI] [SIZE_MB] [RUNS]
#
# PAGEWRIGHT_CLI defaults to build/release/src/cli/pagewright-cli (what `make build` makes),
# SIZE_MB to 300, RUNS to 7. The test file lives in a temporary folder that is removed at
# the end.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$here/build/release/src/cli/pagewright-cli}"
size_mb="${2:-300}"
runs="${3:-7}"

[ -x "$cli" ] || { echo "no pagewright-cli at $cli (build it in Release first)" >&2; exit 1; }
command -v curl > /dev/null || { echo "curl is not installed" >&2; exit 1; }

work="$(mktemp -d)"
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null && wait "$server_pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/root" "$work/local"
head -c "$((size_mb * 1024 * 1024))" /dev/urandom > "$work/root/big.bin"
cp "$work/root/big.bin" "$work/local/big.bin"

coproc SERVER { exec /usr/bin/python3 "$here/scripts/ftp-server.py" --root "$work/root" --port 0; }
server_pid=$SERVER_PID
read -r -t 20 word port <&"${SERVER[0]}"
[ "$word" = "PORT" ] || { echo "the FTP server did not start" >&2; exit 1; }
url="ftp://127.0.0.1:$port"

now() { date +%s.%N; }
# Runs a command and prints the seconds it took.
timed() {
    local start end
    start=$(now)
    "$@" > /dev/null
    end=$(now)
    echo "$end - $start" | bc -l
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
best() { printf '%s\n' "$@" | sort -g | head -1; }

declare -a pw_get curl_get pw_put curl_put
for ((i = 0; i < runs; i++)); do
    rm -f "$work/local/got.bin" "$work/root/up.bin"
    get_pw() { pw_get+=("$(timed "$cli" ftp get "$url/big.bin" "$work/local/got.bin")"); }
    get_curl() { curl_get+=("$(timed curl -sS --fail -o "$work/local/got.bin" "$url/big.bin")"); }
    put_pw() { pw_put+=("$(timed "$cli" ftp put "$work/local/big.bin" "$url/up.bin")"); }
    put_curl() { curl_put+=("$(timed curl -sS --fail -T "$work/local/big.bin" "$url/up.bin")"); }
    # Alternate which tool goes first, so that warm caches favour neither.
    if ((i % 2 == 0)); then
        get_pw; cmp -s "$work/root/big.bin" "$work/local/got.bin" || { echo "download differs" >&2; exit 1; }
        get_curl; put_pw; cmp -s "$work/root/big.bin" "$work/root/up.bin" || { echo "upload differs" >&2; exit 1; }
        put_curl
    else
        get_curl; get_pw; put_curl; put_pw
    fi
    rm -f "$work/local/got.bin" "$work/root/up.bin"
done

mg_pw=$(median "${pw_get[@]}"); mg_curl=$(median "${curl_get[@]}")
mp_pw=$(median "${pw_put[@]}"); mp_curl=$(median "${curl_put[@]}")
bg_pw=$(best "${pw_get[@]}"); bg_curl=$(best "${curl_get[@]}")
bp_pw=$(best "${pw_put[@]}"); bp_curl=$(best "${curl_put[@]}")
ratio() { echo "$1 / $2" | bc -l; }
printf 'file %d MB, %d runs each, seconds (ratio = pagewright-cli / curl)\n' "$size_mb" "$runs"
printf 'download  median: pagewright-cli %.3f  curl %.3f  ratio %.3f   best: %.3f  %.3f  ratio %.3f\n' \
    "$mg_pw" "$mg_curl" "$(ratio "$mg_pw" "$mg_curl")" "$bg_pw" "$bg_curl" "$(ratio "$bg_pw" "$bg_curl")"
printf 'upload    median: pagewright-cli %.3f  curl %.3f  ratio %.3f   best: %.3f  %.3f  ratio %.3f\n' \
    "$mp_pw" "$mp_curl" "$(ratio "$mp_pw" "$mp_curl")" "$bp_pw" "$bp_curl" "$(ratio "$bp_pw" "$bp_curl")"
printf 'all download times: pagewright-cli %s | curl %s\n' "${pw_get[*]}" "${curl_get[*]}"
printf 'all upload times:   pagewright-cli %s | curl %s\n' "${pw_put[*]}" "${curl_put[*]}"
