#!/bin/sh
# Plays the release game for MINUTES minutes on a private X server with random
# keys, pointer moves and clicks, and records its resident memory (VmRSS) once
# a minute. A game that ends (Escape on the game-over screen) is started again
# at once; each row names the game it measured and how long that one had run.
#
#   scripts/soak.sh MINUTES
#
# Fails when the game's resident memory after the first minute ever exceeds
# the first minute's figure by more than 1 MiB, or when a game dies of a
# signal or writes anything to its console.
set -eu
cd "$(dirname "$0")/.."
minutes=${1:?usage: scripts/soak.sh MINUTES}
. scripts/lib/packages.sh
# shellcheck disable=SC2086
scripts/lib/deps.sh $BUILD_PACKAGES xvfb xdotool

cmake -S . -B build-soak -DCMAKE_BUILD_TYPE=Release -DROCKDRIFT_TESTS=OFF -DROCKDRIFT_BENCHMARKS=OFF >/dev/null
cmake --build build-soak -j "$(nproc)" --target rockdrift >/dev/null
game_binary=$PWD/build-soak/rockdrift

work=$(mktemp -d)
server=""
game=""
finish()
{
    [ -n "$game" ] && kill "$game" 2>/dev/null
    [ -n "$server" ] && kill "$server" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 130' INT TERM

# Xvfb writes its display number to the file once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY

games=0
started_at=0
start_game()
{
    games=$((games + 1))
    "$game_binary" >"$work/out.$games" 2>"$work/err.$games" &
    game=$!
    started_at=$(date +%s)
    timeout 20 xdotool search --sync --onlyvisible --name '^Rockdrift$' windowfocus --sync >/dev/null 2>&1 || true
}

# A game that has ended must have ended quietly and by itself.
check_ended_game()
{
    status=0
    wait "$game" || status=$?
    if [ "$status" -ne 0 ] || [ -s "$work/out.$games" ] || [ -s "$work/err.$games" ]; then
        echo "game $games ended with status $status; console:" >&2
        cat "$work/out.$games" "$work/err.$games" >&2
        exit 1
    fi
}

rss_kib()
{
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0
}

random()
{
    # A number from 0 to $1 - 1 (od reads two random bytes).
    echo $(( $(od -An -N2 -tu2 /dev/urandom) % $1 ))
}

# One random action, the way a restless player would act.
act()
{
    case $(random 10) in
    0 | 1 | 2)
        xdotool mousemove "$(random 1024)" "$(random 768)" click 1 ;;
    3)
        xdotool mousemove "$(random 1024)" "$(random 768)" ;;
    4 | 5)
        for key in w a s d Up Down Left Right; do
            if [ "$(random 2)" -eq 0 ]; then xdotool keyup "$key"; else xdotool keydown "$key"; fi
        done ;;
    6 | 7)
        xdotool key space ;;
    8)
        # Other keys and buttons the game must shrug off.
        xdotool key Return x 1 F1 Tab click 3 ;;
    9)
        # About once every twenty seconds: the next level during play, or
        # the end of the game on its game-over screen.
        [ "$(random 20)" -eq 0 ] && xdotool key Escape ;;
    esac
}

start_game
begin=$(date +%s)
deadline=$((begin + minutes * 60))
next_sample=$((begin + 60))
baseline=0
peak=0
longest=0
first=0
last=0
failed=0
echo "minute  game  its age (s)  VmRSS (KiB)"
while [ "$next_sample" -le "$deadline" ]; do
    if ! kill -0 "$game" 2>/dev/null; then
        check_ended_game
        start_game
    fi
    now=$(date +%s)
    rss=$(rss_kib "$game")
    [ "$rss" -gt "$peak" ] && peak=$rss
    [ $((now - started_at)) -gt "$longest" ] && longest=$((now - started_at))
    # A game still loading its images is not measured: its row waits a few
    # seconds for it.
    if [ "$now" -ge "$next_sample" ] && [ $((now - started_at)) -ge 5 ]; then
        minute=$(((next_sample - begin) / 60))
        printf '%6d  %4d  %11d  %11d\n' "$minute" "$games" "$((now - started_at))" "$rss"
        [ "$first" -eq 0 ] && first=$rss && baseline=$rss
        last=$rss
        if [ "$rss" -gt $((baseline + 1024)) ]; then
            failed=1
        fi
        next_sample=$((next_sample + 60))
        continue
    fi
    act >/dev/null 2>&1 || true
    sleep 0.05
done

echo "games played: $games, the longest for $longest s"
echo "resident memory: start $first KiB, end $last KiB, peak $peak KiB (the peak sampled between the rows too)"
if [ "$failed" -ne 0 ]; then
    echo "resident memory grew by more than 1 MiB after the first minute" >&2
    exit 1
fi
