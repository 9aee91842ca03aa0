#!/usr/bin/env bash
# Installs what is missing, builds the two programs and starts the system:
# the server window, and a client pointed at it through setting_client.ini.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSCHOOL_BUILD_TESTS=OFF -DSCHOOL_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"

# The client reads the server's address from the first line of
# setting_client.ini in its working folder; keep a line someone has edited.
cd "$build/client"
[ -f setting_client.ini ] || printf 'server=127.0.0.1;\n' > setting_client.ini

../server/server &
server_pid=$!
sleep 1
./client || true
wait "$server_pid"
