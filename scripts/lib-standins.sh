# Shared by scripts/run and scripts/standins: starting and stopping the Linux
# stand-in programs (tools/) on loopback and talking to them.
# shellcheck shell=bash

readonly TLV_STANDIN_START_LIMIT_S=30

# Ends the process with SIGTERM, and with SIGKILL when it is still there after
# the limit. stop_process PID LIMIT_S
stop_process() {
    local pid="$1" limit="$2" i
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for ((i = 0; i < limit * 10; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# Starts a stand-in in a session of its own (a terminal's Ctrl+C must reach
# the program under test first, while the stand-ins still answer) and waits
# until it printed its line "KEY VALUE"; VALUE goes to standin_value, its
# process id to the named variable. start_standin PIDVAR OUTFILE KEY COMMAND...
standin_value=""
start_standin() {
    local pidvar="$1" out="$2" key="$3" i pid
    shift 3
    standin_value=""
    setsid "$@" >"$out" 2>&1 </dev/null &
    pid=$!
    printf -v "$pidvar" '%s' "$pid"
    for ((i = 0; i < TLV_STANDIN_START_LIMIT_S * 10; i++)); do
        standin_value=$(sed -n "s/^$key//p" "$out" | head -n 1)
        [ -n "$standin_value" ] && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    stop_process "$pid" 1
    printf -v "$pidvar" '%s' ""
    return 1
}

# The port of a URL "https://localhost:N[/]"; 0 when it has none.
url_port() { [[ "$1" =~ ^https://localhost:([0-9]+)/?$ ]] && echo "${BASH_REMATCH[1]}" || echo 0; }

port_answers() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Starts an HTTPS stand-in on the port of the URL given, or on any free port
# when there is none or it is taken; its URL goes to standin_value.
# start_https PIDVAR OUTFILE URL COMMAND... (the port is appended)
start_https() {
    local pidvar="$1" out="$2" port
    port=$(url_port "$3")
    shift 3
    # The stand-ins share a port with a listener already there (httplib binds
    # with SO_REUSEPORT), so a port that answers is taken.
    if [ "$port" != 0 ] && port_answers "$port"; then port=0; fi
    if [ "$port" != 0 ] && start_standin "$pidvar" "$out" "url=" "$@" "$port"; then
        return 0
    fi
    start_standin "$pidvar" "$out" "url=" "$@" 0 || {
        cat "$out" >&2
        echo "$(basename "$1") did not start (see $out)" >&2
        return 1
    }
}

# The site's files: the data files as published (made from the sample
# database and registration codes), offered as version 1.0.0.
# make_site_files MAKER FOLDER [DBASE_XML] (default: the tests' sample database)
make_site_files() {
    local maker="$1" site="$2" dbase="${3:-$TLV_ROOT/tests/data/dbase_sample.xml}"
    mkdir -p "$site"
    "$maker" "$dbase" "$site/dbase.enc"
    "$maker" "$TLV_ROOT/tools/demo/AIG-regcodes.xml" "$site/AIG-regcodes.enc"
    cat >"$site/versions.json" <<JSON
{"aig":{"major":1,"minor":0,"patch":0},"dbase":{"major":1,"minor":0,"patch":0}}
JSON
}

# One command on the stand-in simulator's control port; fails unless it
# answers ok. simulator_command PORT JSON
simulator_command() {
    local reply="" fd
    exec {fd}<>"/dev/tcp/127.0.0.1/$1"
    printf '%s\n' "$2" >&"$fd"
    read -r -t 10 reply <&"$fd" || true
    exec {fd}>&-
    [[ "$reply" == *'"ok":true'* ]] || { echo "simulator: $2 -> ${reply:-no answer}" >&2; return 1; }
}

# The user aircraft standing at the position, with the simulator clock at
# now. simulator_user PORT LAT LON ALT_FT HEADING_DEG
simulator_user() {
    local now_s
    now_s=$(date -u +%s)
    simulator_command "$1" "$(printf '{"cmd":"setUser","lat":%s,"lon":%s,"altFt":%s,"headingDeg":%s,"onGround":true,"zuluTime":%d,"zuluDayOfYear":%d,"zuluYear":%d}' \
        "$2" "$3" "$4" "$5" $((now_s % 86400)) "$((10#$(date -u -d "@$now_s" +%j)))" "$(date -u -d "@$now_s" +%Y)")"
}
