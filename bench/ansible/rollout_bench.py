#!/usr/bin/python3
"""Times one playbook run of the pole_display module over 16 virtual displays on one host
(first every display written, then none) against 16 vfdctl writes one after another.

Usage: rollout_bench.py BUILD_DIR [displays]
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "ansible"))
import test_pole_display as harness  # noqa: E402  (its virtual display runner)

TESTS = os.path.join(HERE, "..", "..", "tests", "ansible")


def timed(line, **options):
    start = time.monotonic()
    run = subprocess.run(line, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         stdin=subprocess.DEVNULL, universal_newlines=True, **options)
    elapsed = time.monotonic() - start
    if run.returncode != 0:
        sys.exit("failed: %s\n%s" % (" ".join(line), run.stdout))
    return elapsed, run.stdout


def expect(holds, output):
    if not holds:
        sys.exit("unexpected result:\n" + output)


def stores(displays):
    return [d.stores() for d in displays]


def main():
    harness.BUILD = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 16
    vfdctl = os.path.join(harness.BUILD, "tools", "vfdctl", "vfdctl")
    folder = tempfile.mkdtemp(prefix="rollout_bench_")
    displays = []
    try:
        images = {}
        for name in ("shop", "old"):
            images[name] = os.path.join(folder, name + ".vfd")
            subprocess.run([vfdctl, "import", os.path.join(TESTS, "files", name + ".json"),
                            "-o", images[name], "-q"], check=True)
        displays = [harness.Display(folder, "display%d" % i, images["old"]) for i in range(count)]
        inventory = os.path.join(folder, "inventory.ini")
        with open(inventory, "w") as hosts:
            hosts.write("[shops]\nlocalhost ansible_connection=local "
                        "ansible_python_interpreter=/usr/bin/python3\n")
        variables = dict(display_ports=[d.port for d in displays], display_src=images["shop"],
                         vfdctl=vfdctl)
        environment = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=os.path.join(
            HERE, "..", "..", "contrib", "ansible"), ANSIBLE_NOCOLOR="1",
            ANSIBLE_LOCAL_TEMP=os.path.join(folder, "local"),
            ANSIBLE_REMOTE_TEMP=os.path.join(folder, "remote"))
        playbook = ["ansible-playbook", "-i", inventory, os.path.join(TESTS, "rollout.yml"),
                    "-e", json.dumps(variables)]

        first, output = timed(playbook, env=environment)
        expect("changed=1" in output and stores(displays) == [1] * count, output)
        second, output = timed(playbook, env=environment)
        expect("changed=0" in output and stores(displays) == [1] * count, output)

        # The same work for vfdctl alone, one display after another: first the old
        # configuration back into each (written), then once more (nothing to write).
        def one_by_one(image):
            return sum(timed([vfdctl, "write", image, "--port", d.port, "-q"])[0]
                       for d in displays)
        single_written = one_by_one(images["old"])
        single_unchanged = one_by_one(images["old"])
        expect(stores(displays) == [2] * count, "vfdctl did not write every display once")

        print("%d virtual displays at 9600 bit/s on one host, wall time in seconds" % count)
        single = "%d x 1" % count
        print("%-44s %7s %7s %7s" % ("", "run", single, "ratio"))
        for label, run, alone in (("playbook, every display written", first, single_written),
                                  ("playbook again, nothing written", second, single_unchanged)):
            print("%-44s %7.2f %7.2f %7.2f" % (label, run, alone, run / alone))
        print("(%s: vfdctl write run once per display, one after another)" % single)
    finally:
        for display in displays:
            display.stop()
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
