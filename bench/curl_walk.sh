#!/usr/bin/env bash
# The same 10 page requests as a 500-row daily run of 7203 (end 2024-05-17), made by curl in
# sequence over one connection, against a quote service started here on a free port.
set -euo pipefail
build_dir=${1:-build/release}
service="$build_dir/tools/quote-service/quote-service"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$service" --port "$port" >/dev/null &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null || true' EXIT
for _ in $(seq 1 50); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done

args=()
for y in 0 50 100 150 200 250 300 350 400 450; do
    args+=("http://127.0.0.1:$port/t?c=2022&a=3&b=9&f=2024&d=5&e=17&g=d&s=7203&y=$y&x=.csv" -o /dev/null)
done
for run in 1 2 3 4 5; do
    /usr/bin/time -f "curl, 10 URLs on one connection: %e s" curl -s "${args[@]}"
done
