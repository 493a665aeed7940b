# Shared by the benchmark scripts: a private PulseAudio server and X server,
# and CPU time read from the kernel. Source it after setting WORK.

bench_need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$(basename "$0"): $tool missing" >&2; exit 77; }
    done
}

# A PulseAudio server of our own with a null sink as the default.
bench_pulse() {
    export XDG_RUNTIME_DIR=$WORK/xdg
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    pulseaudio -D --exit-idle-time=-1 --log-target=file:"$WORK/pulse.log" 2>/dev/null
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl load-module module-null-sink sink_name=bench_sink rate=44100 channels=2 norewinds=1 >/dev/null
    pactl set-default-sink bench_sink
    pactl unload-module module-suspend-on-idle 2>/dev/null || true
}

# A second socket of that server any user may connect to, for a player that
# will not run as root (VLC), run as another user.
bench_pulse_public() {
    chmod 755 "$WORK"
    mkdir -p -m 755 "$WORK/public"
    pactl load-module module-native-protocol-unix auth-anonymous=1 socket="$WORK/public/native" >/dev/null
}

bench_xvfb() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    BENCH_PIDS+=($!)
    for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n 1 "$WORK/display")
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
}

BENCH_PIDS=()
bench_cleanup() {
    for p in "${BENCH_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    pulseaudio --kill 2>/dev/null || true
    # It writes into its runtime directory until it is gone.
    for _ in $(seq 50); do pulseaudio --check 2>/dev/null || break; sleep 0.1; done
    rm -rf "$WORK"
}

# Nanoseconds of CPU the live threads of a process have used (the kernel's
# scheduler statistics: exact, unlike the 10 ms ticks of /proc/<pid>/stat).
bench_cpu_ns() {
    local total=0 ns rest f
    for f in /proc/"$1"/task/*/schedstat; do
        read -r ns rest <"$f" 2>/dev/null || continue
        total=$((total + ns))
    done
    echo "$total"
}

# Percent of one core each process used over the next <seconds>:
# bench_cpu_share <seconds> <pid>...
bench_cpu_share() {
    local secs=$1; shift
    local -a before
    local start end i=0 p
    for p in "$@"; do before+=("$(bench_cpu_ns "$p")"); done
    start=$(date +%s%N)
    sleep "$secs"
    end=$(date +%s%N)
    for p in "$@"; do
        python3 -c "import sys; print('%.3f' % (100 * (int(sys.argv[2]) - int(sys.argv[1])) / (int(sys.argv[3]))))" \
            "${before[$i]}" "$(bench_cpu_ns "$p")" "$((end - start))"
        i=$((i + 1))
    done
}

bench_median() {
    python3 -c "import statistics, sys; v = [float(x) for x in sys.argv[1:]]; print('%.1f' % statistics.median(v))" "$@"
}
