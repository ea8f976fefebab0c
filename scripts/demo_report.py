#!/usr/bin/python3
"""What the demo did: a summary, a picture and (with --check) the assertions.

Reads what the stand-in service reported (its JSON-lines record), what the
stand-in simulator was asked to do (its JSON-lines record), Tolvaren's log and
the demo airport's description (tools/demo: runways, stands, the user's stand).

    demo_report.py SERVICE_RECORD SIM_RECORD LOG AIRPORT_JSON PNG [--check]

Prints the summary; writes the picture; with --check also checks the
simulator's record and exits 1 when a check fails.
"""

import json
import math
import os
import sys
import xml.etree.ElementTree as ET
from collections import defaultdict

METRES_PER_DEG = 111320.0
# Tolerances of the check.
AIR_TOLERANCE_M = 400.0      # a flown position in the air from the received track
GROUND_TOLERANCE_M = 150.0   # on the ground, unless at or driving to a stand
STAND_REACH_M = 120.0        # parking manoeuvres near a stand are the program's own
USER_CLEARANCE_M = 150.0     # no live aircraft is created on the ground nearer the user than this
COLLISION_FACTOR = 1.1       # a static one keeps 1.1 x the two half spans from the user
USER_HALF_SPAN_M = 17.9      # the user's aircraft: a B738
DEMO_DBASE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "demo", "dbase.xml")
AT_STAND_M = 15.0            # an aircraft this near a stand's centre occupies it
FEED_DELAY_S = 30.0          # Tolvaren shows a live report this long after its time
DEAD_RECKONING_S = 80.0      # how long it may carry an aircraft on after its last report


def shown_text(raw):
    """Bytes as the simulator shows them: UTF-8 where they are, else in the
    legacy code page, Windows-1252, whose five unused bytes Windows shows as
    the control characters of their value."""
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in raw)


def read_lines(path):
    out = []
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                line = line.strip()
                if not line:
                    continue
                try:
                    out.append(json.loads(line))
                except json.JSONDecodeError:
                    pass
    except FileNotFoundError:
        pass
    return out


class Frame:
    """Flat metres east and north of a reference point."""

    def __init__(self, lat, lon):
        self.lat0 = lat
        self.lon0 = lon
        self.cos0 = math.cos(math.radians(lat))

    def xy(self, lat, lon):
        return ((lon - self.lon0) * METRES_PER_DEG * self.cos0, (lat - self.lat0) * METRES_PER_DEG)


def dist(a, b):
    return math.hypot(a[0] - b[0], a[1] - b[1])


def point_segment(p, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    if length2 == 0.0:
        return dist(p, a)
    s = max(0.0, min(1.0, ((p[0] - ax) * dx + (p[1] - ay) * dy) / length2))
    return dist(p, (ax + s * dx, ay + s * dy))


def point_polyline(p, line):
    if not line:
        return float("inf")
    if len(line) == 1:
        return dist(p, line[0])
    return min(point_segment(p, line[i], line[i + 1]) for i in range(len(line) - 1))


def angle_diff(a, b):
    d = abs(a - b) % 360.0
    return 360.0 - d if d > 180.0 else d


class Demo:
    def __init__(self, service_path, sim_path, log_path, airport_path):
        with open(airport_path, encoding="utf-8") as f:
            self.airport = json.load(f)
        user = self.airport["user"]
        self.frame = Frame(user["lat"], user["lon"])
        self.stands = {s["id"]: s for s in self.airport["stands"]}
        for s in self.stands.values():
            s["xy"] = self.frame.xy(s["lat"], s["lon"])
        self.log = []
        try:
            with open(log_path, encoding="utf-8", errors="replace") as f:
                self.log = [line.rstrip("\n") for line in f]
        except FileNotFoundError:
            pass
        self.half_spans = self.read_half_spans(os.path.join(os.path.dirname(log_path), "output",
                                                            "LiveriesScanned.xml"))
        self.read_service(read_lines(service_path))
        self.read_sim(read_lines(sim_path))

    @staticmethod
    def read_half_spans(liveries_scanned):
        """Half wing spans in metres by livery title, from the demo's database and the program's scan."""
        # Both files hold several top-level elements, not one document.
        # The scan keeps titles in their aircraft.cfg's bytes, one livery a
        # line, which may be a legacy code page: read as the simulator shows
        # them, as its record holds them, the titles meet.
        def elements(path):
            with open(path, "rb") as f:
                text = "\n".join(shown_text(line) for line in f.read().splitlines()).split("?>", 1)[-1]
            return ET.fromstring("<root>" + text + "</root>").iter()

        spans = {}
        try:
            for w in elements(DEMO_DBASE):
                if w.tag == "wingspan":
                    spans[w.get("type")] = float(w.get("meters")) / 2.0
        except (OSError, ET.ParseError, ValueError, TypeError):
            return {}
        by_title = {}
        try:
            for e in elements(liveries_scanned):
                title, kind = e.get("title"), e.get("type")
                if title and kind in spans:
                    by_title[title] = spans[kind]
        except (OSError, ET.ParseError):
            pass
        return by_title

    # ------------------------------------------------------------ the service
    def read_service(self, lines):
        # Received aircraft by hex id: their reports by time, first sent.
        self.received = {}
        self.parked_reports = {}
        for r in lines:
            if r.get("kind") == "parked":
                self.parked_reports.setdefault(r["hex"], r)
                continue
            a = self.received.setdefault(r["hex"], {"cs": r.get("cs"), "reg": r.get("reg"), "type": r.get("type"),
                                                    "first_sent": r["sent"], "reports": {}})
            a["first_sent"] = min(a["first_sent"], r["sent"])
            a["reports"][round(r["t"], 1)] = r
        for a in self.received.values():
            a["track"] = [a["reports"][t] for t in sorted(a["reports"])]
            a["xy"] = [self.frame.xy(r["lat"], r["lon"]) for r in a["track"]]

    def received_for(self, atc_id):
        """The received aircraft whose callsign or registration the simulator got as ATC ID."""
        for hex_id, a in self.received.items():
            if atc_id and atc_id in (a["cs"], a["reg"]):
                return hex_id, a
        return None, None

    # ------------------------------------------------------------ the simulator
    def read_sim(self, lines):
        self.objects = {}
        self.refusals = []
        self.user_xy = (0.0, 0.0)
        self.end_t = max((r["t"] for r in lines), default=0.0)
        self.start_t = min((r["t"] for r in lines), default=0.0)
        self.events = sorted(lines, key=lambda r: r["t"])
        for r in self.events:
            ev = r["ev"]
            if ev == "user":
                self.user_xy = self.frame.xy(r["lat"], r["lon"])
            elif ev == "create":
                hex_id, received = self.received_for(r.get("atcId", ""))
                self.objects[r["id"]] = {
                    "id": r["id"], "title": r["title"], "atcId": r.get("atcId", ""), "created": r["t"],
                    "create_xy": self.frame.xy(r["lat"], r["lon"]), "hex": hex_id, "received": received,
                    "moves": [r], "removed": None, "removed_by": None,
                }
            elif ev == "move" and r["id"] in self.objects:
                self.objects[r["id"]]["moves"].append(r)
            elif ev == "remove" and r["id"] in self.objects:
                self.objects[r["id"]]["removed"] = r["t"]
                self.objects[r["id"]]["removed_by"] = r.get("by")
            elif ev == "refuse":
                self.refusals.append(r)
        for o in self.objects.values():
            o["xy"] = [self.frame.xy(m["lat"], m["lon"]) for m in o["moves"]]
            o["live"] = o["received"] is not None
            o["stand"] = self.stand_at(o["create_xy"]) if not o["live"] else None

    def stand_at(self, xy, reach=AT_STAND_M):
        best, best_d = None, reach
        for s in self.stands.values():
            d = dist(xy, s["xy"])
            if d <= best_d:
                best, best_d = s["id"], d
        return best

    # ------------------------------------------------------------ events
    def movements(self, o):
        """Landings, take-offs, pushbacks and the stand it parked at, from what it flew."""
        found = {"landing": None, "takeoff": None, "pushback": None, "parked": None}
        moves = o["moves"]
        for i in range(1, len(moves)):
            a, b = moves[i - 1], moves[i]
            if a["onGround"] is False and b["onGround"] is True and found["landing"] is None:
                found["landing"] = b["t"]
            if a["onGround"] is True and b["onGround"] is False and found["takeoff"] is None:
                found["takeoff"] = b["t"]
            pa, pb = o["xy"][i - 1], o["xy"][i]
            if b["onGround"] and dist(pa, pb) > 1.0 and found["pushback"] is None:
                bearing = math.degrees(math.atan2(pb[0] - pa[0], pb[1] - pa[1])) % 360.0
                if angle_diff(bearing, b["hdg"]) > 120.0 and o["live"]:
                    found["pushback"] = b["t"]
        if o["live"] and moves and moves[-1]["onGround"] and len(moves) > 2:
            moved = any(dist(o["xy"][0], p) > 50.0 for p in o["xy"])
            stand = self.stand_at(o["xy"][-1])
            if moved and stand and dist(o["xy"][-2], o["xy"][-1]) < 1.0:
                found["parked"] = stand
        return found

    def removal_reason(self, o):
        if o["removed"] is None:
            return "never removed"
        if o["removed_by"] == "connection closed":
            return "went with Tolvaren's connection at its close ({})".format(
                "in the air" if not o["moves"][-1]["onGround"] else "on the ground")
        close_t = self.close_time()
        # Tolvaren's own words: "STAND   : CALLSIGN removed ..." and the like,
        # of this aircraft (not of another it made way for).
        for line in self.log:
            if "removed" not in line and "ghost" not in line:
                continue
            head, _, rest = line.partition(": ")
            subject = rest.split()[0] if rest.split() else ""
            if subject == o["atcId"] or (not rest and o["atcId"] in head.split()):
                return line.strip()
        if close_t is not None and o["removed"] >= close_t - 5.0:
            return "Tolvaren closed down"
        if o["live"]:
            last_sent = max(r["sent"] for r in o["received"]["track"])
            last_t = o["received"]["track"][-1]["t"]
            if o["removed"] > last_sent:
                late_s = o["removed"] - last_t - FEED_DELAY_S
                if late_s < 0:
                    # Its track went on: the service stopped reporting it
                    # because it left the area asked for.
                    return "it left the area the service reports"
                return "its stream ended ({:.0f} s after its last report was due)".format(late_s)
        return "removed by Tolvaren"

    def close_time(self):
        """When Tolvaren's connection closed: its remaining objects went then."""
        closed = [o["removed"] for o in self.objects.values() if o["removed_by"] == "connection closed"]
        return min(closed) if closed else None

    # ------------------------------------------------------------ summary
    def summary(self):
        out = []
        t0 = self.start_t
        live = [o for o in self.objects.values() if o["live"]]
        static = [o for o in self.objects.values() if not o["live"]]
        out.append("Aircraft created: {} live, {} static; {} creation(s) refused by the simulator".format(
            len(live), len(static), len(self.refusals)))
        for o in sorted(live, key=lambda o: o["created"]):
            out.append("  +{:5.0f} s  live    {:9} {:6} {}".format(o["created"] - t0, o["atcId"], o["received"]["type"] or "",
                                                                   o["title"]))
        for o in sorted(static, key=lambda o: o["created"]):
            out.append("  +{:5.0f} s  static  {:9} at {:5} {}".format(o["created"] - t0, o["atcId"], o["stand"] or "?",
                                                                    o["title"]))
        for r in self.refusals:
            out.append("  +{:5.0f} s  refused {} (exception {}): not installed".format(r["t"] - t0, r["title"],
                                                                                     r["exception"]))
        counts = defaultdict(list)
        for o in live:
            m = self.movements(o)
            for kind in ("landing", "takeoff", "pushback"):
                if m[kind] is not None:
                    counts[kind].append("{} (+{:.0f} s)".format(o["atcId"], m[kind] - t0))
            if m["parked"]:
                counts["parked"].append("{} at {}".format(o["atcId"], m["parked"]))
        out.append("Landings:   " + (", ".join(counts["landing"]) or "none"))
        out.append("Parkings:   " + (", ".join(counts["parked"]) or "none"))
        out.append("Pushbacks:  " + (", ".join(counts["pushback"]) or "none"))
        out.append("Take-offs:  " + (", ".join(counts["takeoff"]) or "none"))
        out.append("Static aircraft: " + (", ".join("{} at {}".format(o["atcId"], o["stand"]) for o in static) or "none"))
        out.append("Removals:")
        for o in sorted(self.objects.values(), key=lambda o: o["removed"] or float("inf")):
            when = "+{:5.0f} s".format(o["removed"] - t0) if o["removed"] is not None else "  never"
            out.append("  {}  {:9} {}".format(when, o["atcId"], self.removal_reason(o)))
        return "\n".join(out)

    # ------------------------------------------------------------ check
    def check(self, report):
        failures = []
        # 1. Every live creation was received before; every static one stands at a stand.
        for o in self.objects.values():
            if o["live"]:
                if o["received"]["first_sent"] > o["created"]:
                    failures.append("{} created before the service reported it".format(o["atcId"]))
            elif o["stand"] is None:
                failures.append("{} ({}) was never received and stands at no stand".format(o["atcId"], o["title"]))
        # 2. Live aircraft follow their received tracks while they have
        # reports ahead; after the last one they are carried on for a while.
        for o in self.objects.values():
            if not o["live"]:
                continue
            line = o["received"]["xy"]
            last = o["received"]["track"][-1]
            last_xy = line[-1]
            worst, where = 0.0, None
            for m, p in zip(o["moves"], o["xy"]):
                if m["t"] > last["t"] + FEED_DELAY_S:
                    reach = max(500.0, last["gs"] * 0.514444 * DEAD_RECKONING_S)
                    if dist(p, last_xy) > reach:
                        failures.append("{} carried on {:.0f} m beyond its last report".format(
                            o["atcId"], dist(p, last_xy)))
                        break
                    continue
                off = point_polyline(p, line)
                if m["onGround"]:
                    near_stand = any(dist(p, s["xy"]) <= STAND_REACH_M for s in self.stands.values())
                    if near_stand or off <= GROUND_TOLERANCE_M:
                        continue
                elif off <= AIR_TOLERANCE_M:
                    continue
                if off > worst:
                    worst, where = off, m
            if where is not None:
                failures.append("{} flew {:.0f} m off its received track ({} at +{:.0f} s)".format(
                    o["atcId"], worst, "on the ground" if where["onGround"] else "in the air", where["t"] - self.start_t))
        # 3. No two aircraft share a stand at any moment.
        at = {}
        shared = set()
        for r in self.events:
            if r["ev"] in ("create", "move") and r["id"] in self.objects:
                at[r["id"]] = self.stand_at(self.frame.xy(r["lat"], r["lon"])) if r.get("onGround", True) else None
                stand = at[r["id"]]
                if stand:
                    others = [i for i, s in at.items() if s == stand and i != r["id"]]
                    if others:
                        shared.add((stand, tuple(sorted([r["id"]] + others))))
            elif r["ev"] == "remove":
                at.pop(r["id"], None)
        for stand, ids in sorted(shared):
            failures.append("stand {} shared by {}".format(stand, ", ".join(self.objects[i]["atcId"] for i in ids)))
        # 4. No live aircraft created on the ground within 150 m of the user;
        # no static one at the user's stand or within collision distance.
        user_stand = self.airport["user"]["stand"]
        for o in self.objects.values():
            d = dist(o["create_xy"], self.user_xy)
            if o["live"]:
                if o["moves"][0]["onGround"] and d < USER_CLEARANCE_M:
                    failures.append("{} created {:.0f} m from the user".format(o["atcId"], d))
                continue
            reach = COLLISION_FACTOR * (USER_HALF_SPAN_M + self.half_spans.get(o["title"], 40.0))
            if o["stand"] == user_stand or d < reach:
                failures.append("static {} created at {} {:.0f} m from the user".format(o["atcId"], o["stand"], d))
        # 5. Every aircraft removed by the end: by Tolvaren, or by the
        # simulator when Tolvaren closed its connection at the end of the run
        # (its AI objects go with it), never before.
        close_t = self.close_time()
        for o in self.objects.values():
            if o["removed_by"] == "client":
                continue
            if o["removed_by"] == "connection closed" and close_t is not None and o["removed"] >= close_t - 1.0:
                continue
            failures.append("{} not removed ({})".format(o["atcId"], self.removal_reason(o)))
        if not self.objects:
            failures.append("no aircraft created")
        # 6. The simulator knows titles by their aircraft.cfg's bytes: liveries
        # from a legacy (Boeing) and from a UTF-8 file were both created, and
        # no creation was refused. The report shows each title as the
        # simulator does, never a character it could not read.
        titles = [o["title"] for o in self.objects.values()]
        for kind, word in (("legacy code page", "K\u00f6ln"), ("UTF-8", "\u0141\u00f3d\u017a")):
            if not any(t.endswith(" " + word) for t in titles):
                failures.append("no livery of a {} aircraft.cfg created".format(kind))
        for line in report.splitlines():
            if "\ufffd" in line:
                failures.append("the report shows what the simulator would not: " + line.strip())
        for r in self.refusals:
            failures.append("creation of {} refused".format(r["title"]))
        return failures

    # ------------------------------------------------------------ picture
    def picture(self, png):
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
        from matplotlib.patches import Circle

        fig, axes = plt.subplots(1, 2, figsize=(18, 9.5), gridspec_kw={"width_ratios": [1, 1]})
        colours = plt.get_cmap("tab10")
        live = sorted((o for o in self.objects.values() if o["live"]), key=lambda o: o["created"])
        static = [o for o in self.objects.values() if not o["live"]]
        for ax, half_width, title in ((axes[0], 9000.0, "Schiphol and its approaches"),
                                      (axes[1], 1500.0, "The terminal's aprons")):
            for rw in self.airport["runways"]:
                a = self.frame.xy(rw["lat1"], rw["lon1"])
                b = self.frame.xy(rw["lat2"], rw["lon2"])
                ax.plot([a[0], b[0]], [a[1], b[1]], color="0.6", linewidth=6 if half_width > 2000 else 14,
                        solid_capstyle="butt", zorder=1)
                if half_width > 2000:
                    ax.annotate(rw["name"], a, fontsize=8, color="0.35", zorder=2)
            for s in self.stands.values():
                ax.add_patch(Circle(s["xy"], s["radiusM"], fill=False, edgecolor="0.55", linewidth=0.6, zorder=2))
                if half_width < 2000:
                    ax.annotate(s["id"], s["xy"], fontsize=5.5, color="0.4", ha="center", va="center", zorder=2)
            # One colour per aircraft, however often Tolvaren created it.
            callsigns = list(dict.fromkeys(o["atcId"] for o in live))
            labelled = set()
            for o in live:
                c = colours(callsigns.index(o["atcId"]) % 10)
                rx = [p[0] for p in o["received"]["xy"]]
                ry = [p[1] for p in o["received"]["xy"]]
                ax.plot(rx, ry, linestyle=(0, (2, 2)), color=c, linewidth=1.2, alpha=0.8, zorder=3)
                fx = [p[0] for p in o["xy"]]
                fy = [p[1] for p in o["xy"]]
                label = None
                if o["atcId"] not in labelled:
                    labelled.add(o["atcId"])
                    label = "{} {} ({})".format(o["atcId"], o["received"]["type"], o["title"])
                ax.plot(fx, fy, color=c, linewidth=2.2, zorder=4, label=label)
                ax.plot(fx[:1], fy[:1], marker="o", color=c, markersize=5, zorder=5)
                ax.plot(fx[-1:], fy[-1:], marker="s", color=c, markersize=5, zorder=5)
                if half_width > 2000 or any(abs(x) < half_width and abs(y) < half_width for x, y in o["xy"]):
                    m = self.movements(o)
                    for kind, marker in (("landing", "v"), ("takeoff", "^")):
                        if m[kind] is not None:
                            p = next(p for mv, p in zip(o["moves"], o["xy"]) if mv["t"] == m[kind])
                            ax.plot([p[0]], [p[1]], marker=marker, color=c, markersize=10, markeredgecolor="k",
                                    zorder=6)
            for o in static:
                x, y = o["create_xy"]
                ax.plot([x], [y], marker="P", color="tab:olive", markersize=9 if half_width < 2000 else 4,
                        markeredgecolor="k", markeredgewidth=0.5, zorder=5)
                if half_width < 2000:
                    ax.annotate(o["atcId"], (x, y), xytext=(4, -9), textcoords="offset points", fontsize=6.5,
                                color="darkolivegreen", zorder=6)
            ux, uy = self.user_xy
            ax.plot([ux], [uy], marker="*", color="red", markersize=16, markeredgecolor="k", zorder=7)
            ax.add_patch(Circle((ux, uy), USER_CLEARANCE_M, fill=False, edgecolor="red", linestyle=":", zorder=7))
            ax.set_xlim(-half_width, half_width)
            ax.set_ylim(-half_width, half_width)
            ax.set_aspect("equal")
            ax.set_title(title)
            ax.set_xlabel("metres east of the user's aircraft")
            ax.set_ylabel("metres north")
            ax.grid(True, linewidth=0.3, alpha=0.5)
        from matplotlib.lines import Line2D
        legend = [Line2D([], [], color="k", linewidth=2.2, label="flown by Tolvaren in the simulator"),
                  Line2D([], [], color="k", linestyle=(0, (2, 2)), label="received from the service"),
                  Line2D([], [], marker="o", color="k", linestyle="", label="created"),
                  Line2D([], [], marker="s", color="k", linestyle="", label="last position"),
                  Line2D([], [], marker="v", color="w", markeredgecolor="k", linestyle="", markersize=9,
                         label="landing"),
                  Line2D([], [], marker="^", color="w", markeredgecolor="k", linestyle="", markersize=9,
                         label="take-off"),
                  Line2D([], [], marker="P", color="tab:olive", markeredgecolor="k", linestyle="",
                         label="static aircraft"),
                  Line2D([], [], marker="o", color="w", markeredgecolor="0.55", linestyle="", markersize=9,
                         label="stand"),
                  Line2D([], [], marker="*", color="red", markeredgecolor="k", linestyle="", markersize=12,
                         label="user's aircraft (150 m kept clear)")]
        first = axes[0].legend(handles=legend, loc="upper left", fontsize=7.5, framealpha=0.9)
        axes[0].add_artist(first)
        axes[0].legend(loc="lower right", fontsize=7, framealpha=0.9, title="live aircraft (callsign, type, livery)",
                       title_fontsize=7.5)
        fig.suptitle("Tolvaren demo at Schiphol: {} live and {} static aircraft over {:.0f} s".format(
            len(live), len(static), self.end_t - self.start_t))
        fig.tight_layout()
        fig.savefig(png, dpi=110)
        plt.close(fig)


def main(argv):
    args = [a for a in argv[1:] if a != "--check"]
    if len(args) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    demo = Demo(*args[:4])
    report = demo.summary()
    print(report)
    demo.picture(args[4])
    print("Picture: " + args[4])
    if "--check" not in argv:
        return 0
    failures = demo.check(report)
    for f in failures:
        print("CHECK FAILED: " + f)
    if not failures:
        print("flight record check passed: {} aircraft created and removed, all received first, on their tracks, "
              "no stand shared, none near the user".format(len(demo.objects)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
