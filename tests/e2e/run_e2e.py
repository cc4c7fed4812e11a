"""End-to-end: the real program in the PC namespace of the lab, under Xvfb,
judged only by what the simulated devices and the update server saw."""
import argparse
import hashlib
import json
import os
import random
import subprocess
import sys
import tempfile
import time

SKIP = 77
PREFIX = "nxe"
STATE = "/run/naxo-lab-e2e"
OUTDATED = ["dev1", "dev3", "dev5"]
CURRENT = ["dev2", "dev4", "dev6"]

args = argparse.ArgumentParser()
args.add_argument("--build", required=True)
args.add_argument("--source", required=True)
opts = args.parse_args()

if os.geteuid() != 0:
    print("SKIPPED: the end-to-end test makes network namespaces and needs root (CI runs it as root)")
    sys.exit(SKIP)
for tool in ("Xvfb", "xdotool", "ip"):
    if subprocess.run(["which", tool], capture_output=True).returncode != 0:
        print(f"SKIPPED: {tool} is missing; ./naxo installs it")
        sys.exit(SKIP)

APP = os.path.join(opts.build, "src/app/naxo-updater")
NETNS = os.path.join(opts.source, "tools/naxo-lab/netns.sh")
SCENARIO = os.path.join(opts.source, "tests/e2e/e2e.json")
ENV = dict(os.environ, NAXO_LAB_STATE=STATE, NAXO_LAB_PREFIX=PREFIX)
PC = PREFIX + "-pc"
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def lab(*a):
    subprocess.run([NETNS, opts.build, *a], env=ENV, check=True, stdout=subprocess.DEVNULL)


def events():
    with open(os.path.join(STATE, "events.jsonl")) as f:
        return [json.loads(line) for line in f if line.strip()]


def wait_for(pred, seconds):
    end = time.time() + seconds
    while time.time() < end:
        if pred():
            return True
        time.sleep(0.1)
    return False


class Session:
    """Xvfb plus the program in the PC namespace."""

    def __init__(self):
        self.display = f":{random.randint(200, 400)}"
        self.xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", "1400x700x24", "-nolisten", "tcp"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists(f"/tmp/.X11-unix/X{self.display[1:]}"), 5)
        self.data = tempfile.TemporaryDirectory()
        env = dict(os.environ, DISPLAY=self.display, QT_QPA_PLATFORM="xcb", XDG_DATA_HOME=self.data.name)
        self.app = subprocess.Popen(["ip", "netns", "exec", PC, APP], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def xdo(self, *a):
        return subprocess.run(["xdotool", *a], env=dict(os.environ, DISPLAY=self.display),
                              capture_output=True, text=True).stdout.split()

    def close(self):
        for p in (self.app, self.xvfb):
            p.terminate()
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
        self.data.cleanup()


def run_update():
    lab("up", "6", SCENARIO)
    s = Session()
    try:
        status_of = lambda dev: [e for e in events() if e.get("device") == dev and e.get("query") == "action=200"]
        check(wait_for(lambda: all(status_of(f"dev{k}") for k in range(1, 7)), 30),
              "every device got a status request")
        time.sleep(1.0)  # the rows are merged and drawn
        win = s.xdo("search", "--name", "^NAXO Updater$")
        check(bool(win), "the main window is there")
        if win:
            s.xdo("windowfocus", "--sync", win[0])
            s.xdo("key", "Return")
        done = lambda: all(any(e["event"] == "reset_end" and e["device"] == d for e in events()) for d in OUTDATED)
        check(wait_for(done, 60), "every outdated device reset")
        # After the reset each is asked for its status again.
        def asked_again():
            evs = events()
            for d in OUTDATED:
                t_reset = max(e["t"] for e in evs if e["event"] == "reset_end" and e["device"] == d)
                if not any(e.get("query") == "action=200" and e["device"] == d and e["t"] > t_reset for e in evs):
                    return False
            return True
        check(wait_for(asked_again, 15), "outdated devices asked for their status after the reset")
        time.sleep(4.5)  # a few more discovery rounds to time
        seen = events()  # before our own request to the server below
        firmware = subprocess.run(["ip", "netns", "exec", PC, "curl", "-s", "--noproxy", "*",
                                   "http://updates.naxo.example/QW58-Remote-Updater/NAXO_Firmware/NAXO_S_v1.2.3-45.naxo"],
                                  capture_output=True).stdout
        judge(seen, hashlib.sha256(firmware).hexdigest(), len(firmware))
    finally:
        s.close()
        lab("down")


def judge(evs, sha, size):
    check(size == 1500000, "the catalogue's firmware was fetched for comparison")
    grams = [e for e in evs if e["event"] == "datagram" and e["device"] == "dev1"]
    check(bool(grams) and all(e["hex"] == b"INX-DC".hex() for e in grams), "requests are exactly the six bytes INX-DC")
    check(all(e["port"] == 9454 and e["to"] == "255.255.255.255" and e["from"] == "198.18.0.100" for e in grams),
          "requests go from port 9454 to 255.255.255.255")
    # The first request comes from the search start; the timer's follow every 2000 ms.
    steady = [e for e in evs if e["event"] == "datagram" and e["device"] == "dev2"][1:]
    gaps = [b["t"] - a["t"] for a, b in zip(steady, steady[1:])]
    check(len(gaps) >= 3 and all(1700 <= g <= 2400 for g in gaps), f"a request about every 2000 ms: {gaps}")
    server = [e for e in evs if e.get("device") == "server"]
    check(bool(server) and grams[0]["t"] >= max(e["t"] for e in server),
          "no discovery request before the update check had ended")
    for d in OUTDATED:
        stored = [e for e in evs if e["event"] == "ftp_stored" and e["device"] == d]
        check(len(stored) == 1 and stored[0]["sha256"] == sha and stored[0]["path"] == "/update/firmware.naxo",
              f"{d}: one upload with the catalogue firmware's SHA-256")
        install = [e for e in evs if e.get("query") == "action=102" and e["device"] == d]
        check(len(install) == 1 and stored and install[0]["t"] >= stored[0]["t"] and install[0]["method"] == "POST",
              f"{d}: then the install request")
    for d in CURRENT:
        check(not any(e["event"] == "ftp_stored" and e["device"] == d for e in evs), f"{d}: up to date, no upload")


def run_two_adapters():
    lab("up", "2", SCENARIO, "--two-adapters")
    s = Session()
    try:
        dialog = wait_for(lambda: bool(s.xdo("search", "--name", "^Select Network Adapter$")), 20)
        check(dialog, "with two adapters the adapter dialog shows")
        main_hidden = not s.xdo("search", "--onlyvisible", "--name", "^NAXO Updater$")
        check(main_hidden, "before the main window")
        time.sleep(1)
        check(not any(e["event"] == "datagram" for e in events()), "nothing sent while the dialog is open")
    finally:
        s.close()
        lab("down")


subprocess.run([NETNS, opts.build, "down"], env=ENV, stdout=subprocess.DEVNULL)
before = subprocess.run(["ip", "netns", "list"], capture_output=True, text=True).stdout
run_update()
run_two_adapters()
after = subprocess.run(["ip", "netns", "list"], capture_output=True, text=True).stdout
check(before == after, "no namespace left behind")
print(f"{0 if failures else 1} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
