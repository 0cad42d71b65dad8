#!/usr/bin/env python3
"""Measures the browser build through the tests' driver,
tests/support/web/driver.mjs, and prints the figures as Markdown: load time to
the first ready frame with a warm browser, main-thread load on the ready screen
and in play, the tick rate, and the tick rate at each window size the page is
tested at (in the tests' browser).

Usage: measure.py SITE_FOLDER  (scripts/measure-web.sh runs it)

The floor, bench/web/floor.html, is a page that only clears a WebGL canvas of
the game's size 50 times a second: what any such page costs this browser.
"""
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DRIVER = os.path.join(HERE, "..", "..", "tests", "support", "web", "driver.mjs")
WARM_LOADS = 5
SECONDS = 10
# Ten seconds of play at 50 ticks a second, less what a lost game would cut.
FULL_SAMPLE = 450
# The windows of tests/game/page_test.cpp: desktops, then a phone's.
WINDOWS = ["1366x657", "1280x720", "1920x969", "1024x600", "800x600", "844x390 touch", "390x844 touch"]


class Driver:
    def __init__(self, webgl):
        env = dict(os.environ, ROCKDRIFT_WEBGL=webgl)
        self.process = subprocess.Popen(["node", DRIVER], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, env=env)

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().rstrip("\n")
        status, _, text = answer.partition(" ")
        if status != "ok":
            raise RuntimeError(f"{command}: {answer}")
        return dict(pair.split("=", 1) for pair in text.split() if "=" in pair)

    def close(self):
        self.process.stdin.write("quit\n")
        self.process.stdin.close()
        self.process.wait()

    def open_to_first_frame(self, url):
        self.send("open " + url)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            page = self.send("page")
            if page["frames"] != "0":
                return float(page["first_frame_ms"])
            time.sleep(0.05)
        raise RuntimeError("no frame within 30 s")


def sample_play(driver, url):
    for _ in range(6):
        driver.open_to_first_frame(url)
        time.sleep(0.5)
        driver.send("key Space press")
        # The tick rate is timed from a frame of play, not the ready screen.
        time.sleep(1)
        play = driver.send(f"sample {SECONDS * 1000}")
        if int(play["frames"]) >= FULL_SAMPLE:
            return play
    raise RuntimeError("the ship was hit within ten seconds in every deal")


def ticks(sample):
    return 1000 * int(sample["frames"]) / float(sample["frame_ms"])


def measure(site, webgl):
    driver = Driver(webgl)
    url = driver.send("serve " + site)["url"]
    driver.open_to_first_frame(driver.send("serve " + HERE)["url"] + "floor.html")
    time.sleep(1)
    floor = driver.send(f"sample {SECONDS * 1000}")
    cold = driver.open_to_first_frame(url)
    warm = [driver.open_to_first_frame(url) for _ in range(WARM_LOADS)]
    time.sleep(1)
    ready = driver.send(f"sample {SECONDS * 1000}")
    play = sample_play(driver, url)
    driver.close()

    def load(sample):
        return 100 * float(sample["task_ms"]) / float(sample["wall_ms"])

    return {
        "cold": cold,
        "warm": statistics.median(warm),
        "ready": load(ready),
        "play": load(play),
        "floor": load(floor),
        "ticks": ticks(play),
    }


def main():
    site = os.path.abspath(sys.argv[1])
    print("| WebGL in headless Chromium | first ready frame, cold | first ready frame, warm (median of 5) "
          "| main thread, ready screen | main thread, play (difficulty 1) | main thread, floor page "
          "| ticks a second over 10 s |")
    print("|---|---|---|---|---|---|---|")
    for webgl, name in (("software", "software compositing (`--disable-gpu`)"),
                        ("swiftshader", "GPU process, SwiftShader (`--use-angle=swiftshader`)")):
        f = measure(site, webgl)
        print(f"| {name} | {f['cold']:.0f} ms | {f['warm']:.0f} ms | {f['ready']:.2f} % | {f['play']:.1f} % "
              f"| {f['floor']:.1f} % | {f['ticks']:.2f} |")
    driver = Driver("software")
    url = driver.send("serve " + site)["url"]
    rates = []
    for window in WINDOWS:
        driver.send("viewport " + window)
        rates.append(f"{window.replace('x', ' × ').replace(' touch', ', touch')}: {ticks(sample_play(driver, url)):.2f}")
    driver.close()
    print("\nTicks a second over 10 s of play at each window size (software compositing): " + "; ".join(rates) + ".")
    with open("/proc/loadavg") as loadavg:
        print(f"\nLoad average while measuring: {loadavg.read().split()[0]} on {os.cpu_count()} cores.")


if __name__ == "__main__":
    main()
