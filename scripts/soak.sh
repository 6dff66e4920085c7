#!/usr/bin/env bash
# Soaks the live path for MINUTES (default 10): the simulator at 1 kHz with 16 tools through Kalman
# smoothing, served over OpenIGTLink to a second tesselon that smooths what it receives. Samples both
# processes' resident memory every few seconds and prints each one's slope (least squares, MB/hour) and
# the messages lost between them. Not run by CI: an hour is what tells.
#   scripts/soak.sh [minutes]      (TESSELON=path/to/tesselon, PORT=18999, EVERY=5 to override)
set -euo pipefail

minutes=${1:-10}
here=$(cd "$(dirname "$0")/.." && pwd)
tesselon=${TESSELON:-$here/build/bin/tesselon}
port=${PORT:-18999}
every=${EVERY:-5}
seconds=$(awk -v m="$minutes" 'BEGIN { printf "%d", m * 60 }')
tools=Reference,Pivot,Needle,Path,Pointer$(printf ',Pointer%d' $(seq 2 12))
work=$(mktemp -d)
trap 'kill $server $client 2>/dev/null || true; rm -rf "$work"' EXIT

[ -x "$tesselon" ] || { echo "soak: no program at $tesselon; build first or set TESSELON." >&2; exit 1; }

# The client starts first and outlives the server, so it reads every message the server sends.
"$tesselon" stream --igtl "127.0.0.1:$port" --smooth kalman --duration $((seconds + 10)) \
  >"$work/client.txt" 2>"$work/client.log" &
client=$!
"$tesselon" stream --simulate --rate 1000 --instruments "$tools" --smooth kalman --serve "$port" \
  --duration "$seconds" >"$work/server.txt" 2>"$work/server.log" &
server=$!

rss() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status" 2>/dev/null || echo "-"; }

echo "Soaking for $minutes min: 1 kHz x 16 tools, Kalman smoothing, served on port $port; memory every $every s."
printf '%8s %12s %12s\n' "time [s]" "server [MB]" "client [MB]"
start=$(date +%s)
while kill -0 "$server" 2>/dev/null; do
  now=$(($(date +%s) - start))
  line=$(printf '%8d %12s %12s' "$now" "$(rss $server)" "$(rss $client)")
  echo "$line" | tee -a "$work/memory.txt"
  sleep "$every"
done
wait "$server" || { echo "soak: the server failed:" >&2; cat "$work/server.log" >&2; exit 1; }
wait "$client" || { echo "soak: the client failed:" >&2; cat "$work/client.log" >&2; exit 1; }

# Least-squares slope of memory over time, from the first minute on (start-up allocations excluded).
slope() {
  awk -v column="$1" '$1 >= 60 && $column != "-" { n++; x = $1 / 3600; y = $column; sx += x; sy += y;
      sxx += x * x; sxy += x * y }
    END { if (n < 3 || n * sxx == sx * sx) print "n/a"; else printf "%+.1f", (n * sxy - sx * sy) / (n * sxx - sx * sx) }' \
    "$work/memory.txt"
}
first_last() { awk -v column="$1" '$column != "-" { if (!seen++) first = $column; last = $column }
  END { printf "%s -> %s MB", first, last }' "$work/memory.txt"; }

sent=$(grep -o '[0-9]* messages sent' "$work/server.txt" | grep -o '^[0-9]*' || echo 0)
received=$(grep -o '[0-9]* messages with poses' "$work/client.txt" | grep -o '^[0-9]*' || echo 0)
damaged=$(grep -o '[0-9]* damaged' "$work/client.txt" | grep -o '^[0-9]*' || echo 0)
dropped=$(grep -c 'Dropped an OpenIGTLink client' "$work/server.log" || true)

echo
echo "server memory: $(first_last 2), slope $(slope 2) MB/hour"
echo "client memory: $(first_last 3), slope $(slope 3) MB/hour"
echo "messages: $sent sent, $received received, $((sent - received)) lost, $damaged damaged;" \
  "client dropped by the server $dropped times"
echo
echo "client's report:"
sed -n '/^instrument/,$p' "$work/client.txt" | head -20
